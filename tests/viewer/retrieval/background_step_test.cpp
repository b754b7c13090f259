// The sign-in's background step: its answer or its exception reaches the
// window's thread with one wake-up; after Cancel the step ends unheard.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>

#include "viewer/retrieval/background_step.h"

namespace {

constexpr auto ENDED_WAIT = std::chrono::seconds(10);

TEST(BackgroundStep, TheAnswerOrExceptionComesWithOneWakeUp) {
  const struct {
    const char* name;
    std::function<bool()> step;
    bool answer;
    bool raises;
  } cases[] = {
      {"succeeds", [] { return true; }, true, false},
      {"fails", [] { return false; }, false, false},
      {"raises", []() -> bool { throw std::runtime_error("reset"); }, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::atomic<int> wakeUps{0};
    std::promise<void> woken;
    BackgroundStep step(c.step, [&] {
      if (++wakeUps == 1) woken.set_value();
    });
    ASSERT_EQ(woken.get_future().wait_for(ENDED_WAIT), std::future_status::ready);
    ASSERT_TRUE(step.Ended());
    if (c.raises) {
      EXPECT_THROW(step.Outcome(), std::runtime_error);
    } else {
      EXPECT_EQ(step.Outcome(), c.answer);
    }
    EXPECT_EQ(wakeUps, 1);
  }
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
