// A fixed set of threads that run submitted jobs in the order they came.
// The HTTP threads only read and write sockets and hand every request here,
// so requests are answered first come, first served however many
// connections are open, and no request waits behind another's connection.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkQueue {
 public:
  explicit WorkQueue(unsigned threads);
  ~WorkQueue() { Stop(); }
  WorkQueue(const WorkQueue&) = delete;
  WorkQueue& operator=(const WorkQueue&) = delete;

  // Queues `job` to run on one of the threads. After Stop the job runs at
  // once on the caller's thread, so no job is ever dropped.
  void Submit(std::function<void()> job);

  // Runs the jobs already queued, then ends the threads.
  void Stop();

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable queued_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};
