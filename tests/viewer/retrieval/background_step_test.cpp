// The sign-in's background step: its answer or its exception reaches the
// window's thread once it has ended, with one wake-up; after Cancel the step
// runs to its end unheard.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

#include "viewer/retrieval/background_step.h"

namespace {

constexpr auto ENDED_WAIT = std::chrono::seconds(10);

TEST(BackgroundStep, TheStepsAnswerOrExceptionComesWithOneWakeUp) {
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
    EXPECT_TRUE(step.Ended());
    if (c.raises) {
      EXPECT_THROW(step.Outcome(), std::runtime_error);
    } else {
      EXPECT_EQ(step.Outcome(), c.answer);
    }
    EXPECT_EQ(wakeUps, 1);
  }
}

TEST(BackgroundStep, AfterCancelTheStepEndsUnheard) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  auto stepEnded = std::make_shared<std::promise<void>>();
  std::future<void> stepDone = stepEnded->get_future();
  std::atomic<bool> woken{false};
  {
    BackgroundStep step(
        [released, stepEnded] {
          released.wait();
          stepEnded->set_value();
          return true;
        },
        [&] { woken = true; });
    step.Cancel();
    release.set_value();
    ASSERT_EQ(stepDone.wait_for(ENDED_WAIT), std::future_status::ready);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(step.Ended());
  }
  EXPECT_FALSE(woken);
}

}  // namespace
