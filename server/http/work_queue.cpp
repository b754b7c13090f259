#include "server/http/work_queue.h"

WorkQueue::WorkQueue(unsigned threads) {
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

void WorkQueue::Submit(std::function<void()> job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stopping_) {
      jobs_.push_back(std::move(job));
      queued_.notify_one();
      return;
    }
  }
  job();
}

void WorkQueue::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  queued_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

void WorkQueue::Work() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      queued_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    job();
  }
}
