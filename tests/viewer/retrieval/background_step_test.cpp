// The sign-in's background step: its exception reaches the window's thread
// with one wake-up; after Cancel the step ends unheard.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>

#include "viewer/retrieval/background_step.h"

namespace {

constexpr auto ENDED_WAIT = std::chrono::seconds(10);

// A step's answer reaches the window on every road test; an exception it
// raised is checked here.
TEST(BackgroundStep, AnExceptionComesWithOneWakeUp) {
  std::atomic<int> wakeUps{0};
  std::promise<void> woken;
  BackgroundStep step([]() -> bool { throw std::runtime_error("reset"); }, [&] {
    if (++wakeUps == 1) woken.set_value();
  });
  ASSERT_EQ(woken.get_future().wait_for(ENDED_WAIT), std::future_status::ready);
  ASSERT_TRUE(step.Ended());
  EXPECT_THROW(step.Outcome(), std::runtime_error);
  EXPECT_EQ(wakeUps, 1);
}

TEST(BackgroundStep, AfterCancelTheStepEndsUnheard) {
  auto release = std::make_shared<std::promise<void>>();
  auto ended = std::make_shared<std::promise<void>>();
  std::future<void> stepEnded = ended->get_future();
  auto woken = std::make_shared<std::atomic<bool>>(false);
  BackgroundStep step([released = release->get_future().share(), ended] {
    released.wait();
    ended->set_value();
    return true;
  }, [woken] { *woken = true; });
  step.Cancel();
  release->set_value();
  ASSERT_EQ(stepEnded.wait_for(ENDED_WAIT), std::future_status::ready);
  EXPECT_FALSE(step.Ended());
  EXPECT_FALSE(*woken);
}

}  // namespace
