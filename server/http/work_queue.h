// A fixed set of threads that run submitted jobs, the clients taking turns:
// one job of each client with jobs waiting, then the next of each, and a
// client's own jobs in the order they came. The HTTP thread only reads and
// writes sockets and hands every request here, so no request waits behind
// another's connection, and a client that sends many requests at once does
// not make the others wait behind all of them.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class WorkQueue {
 public:
  explicit WorkQueue(unsigned threads);
  ~WorkQueue() { Stop(); }
  WorkQueue(const WorkQueue&) = delete;
  WorkQueue& operator=(const WorkQueue&) = delete;

  // Queues `job` of the client `client` (its address) to run on one of the
  // threads. After Stop the job runs at once on the caller's thread, so no
  // job is ever dropped.
  void Submit(const std::string& client, std::function<void()> job);

  // Runs the jobs already queued, then ends the threads.
  void Stop();

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable queued_;
  std::map<std::string, std::deque<std::function<void()>>> jobs_;  // per client, in order
  std::deque<std::string> turns_;  // the clients with jobs waiting, whose turn is next first
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};
