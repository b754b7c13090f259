#include "server/http/work_queue.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

namespace {

// One worker, held busy while the jobs queue up, then let go.
TEST(WorkQueue, ClientsTakeTurnsAndEachOnesJobsKeepTheirOrder) {
  std::vector<std::string> ran;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  {
    WorkQueue queue(1);
    queue.Submit("busy", [released] { released.wait(); });
    auto record = [&ran](std::string name) { return [&ran, name] { ran.push_back(name); }; };
    for (const char* job : {"a1", "a2", "a3", "a4"}) queue.Submit("10.0.0.1", record(job));
    queue.Submit("10.0.0.2", record("b1"));
    queue.Submit("10.0.0.3", record("c1"));
    queue.Submit("10.0.0.2", record("b2"));
    release.set_value();
    queue.Stop();
    queue.Submit("late", record("after stop"));
  }
  EXPECT_EQ((std::vector<std::string>{"a1", "b1", "c1", "a2", "b2", "a3", "a4", "after stop"}), ran);
}

}  // namespace
