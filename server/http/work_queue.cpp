#include "server/http/work_queue.h"

WorkQueue::WorkQueue(unsigned threads) {
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

void WorkQueue::Submit(const std::string& client, std::function<void()> job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stopping_) {
      std::deque<std::function<void()>>& waiting = jobs_[client];
      if (waiting.empty()) turns_.push_back(client);
      waiting.push_back(std::move(job));
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
      queued_.wait(lock, [this] { return stopping_ || !turns_.empty(); });
      if (turns_.empty()) return;
      std::string client = std::move(turns_.front());
      turns_.pop_front();
      auto waiting = jobs_.find(client);
      job = std::move(waiting->second.front());
      waiting->second.pop_front();
      if (waiting->second.empty()) {
        jobs_.erase(waiting);
      } else {
        turns_.push_back(std::move(client));
      }
    }
    job();
  }
}
