// The operators' port: GET /metrics answers the Prometheus text format,
// GET /healthz 200 when the database answers a trivial query within a
// second, 503 otherwise. One thread of its own, one connection at a time:
// it serves a scraper and a health check, not the public.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "server/http/listener.h"

class MetricsListener {
 public:
  // `metricsText` gives the body of /metrics; `storeAnswers` runs the
  // trivial query (false when it failed). Both are called from the
  // listener's threads and must stay valid until Stop.
  MetricsListener(std::function<std::string()> metricsText, std::function<bool()> storeAnswers);
  ~MetricsListener();
  MetricsListener(const MetricsListener&) = delete;
  MetricsListener& operator=(const MetricsListener&) = delete;

  // Listens on `address` (IPv4) and `port`. Returns false with `error` set
  // when the address cannot be bound.
  bool Start(const std::string& address, int port, std::string& error);

  // Stops answering and waits for the listener's thread.
  void Stop();

 private:
  void Serve();
  void Answer(int client);
  bool Healthy();

  std::function<std::string()> metricsText_;
  std::function<bool()> storeAnswers_;
  Listener listener_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  // The health query runs on a thread of its own so that a database that
  // hangs costs the check a second, not the listener.
  // Stop waits for it.
  std::mutex healthMutex_;
  std::condition_variable healthDone_;
  std::thread healthThread_;
  bool healthRunning_ = false;
  bool healthResult_ = false;
};
