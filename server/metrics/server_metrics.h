// What the server counts for Prometheus, and its heartbeat for systemd's
// watchdog. The HTTP front reports connections, bytes and finished requests
// here; the database pool is read when metrics are asked for. Every
// operation is safe from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "server/database/connection_pool.h"

namespace prometheus {
class Counter;
class Gauge;
class Histogram;
class Registry;
template <typename T>
class Family;
}  // namespace prometheus

// The longest the event loop may wait without a beat; systemd's watchdog
// time must be well above it (the unit gives 10 s).
constexpr std::chrono::seconds LOOP_HEARTBEAT_TIME{1};

class ServerMetrics {
 public:
  ServerMetrics();
  ~ServerMetrics();
  ServerMetrics(const ServerMetrics&) = delete;
  ServerMetrics& operator=(const ServerMetrics&) = delete;

  // A connection taken, ended (for whatever reason), refused at the door
  // (its address had its share) or closed to make room for others.
  void ConnectionOpened();
  void ConnectionClosed();
  void ConnectionRefused();
  void ConnectionEvicted();

  void BytesReceived(size_t bytes);
  void BytesSent(size_t bytes);

  // A request ended: `kind` as the access log names it ("sign-in", "usage",
  // "monthly-usage", "observation", "-"), `outcome` as the access log says
  // it ("ok", "refused: ...", "failed: ...").
  void RequestFinished(const std::string& kind, const std::string& outcome, double seconds);
  void RowsServed(size_t rows);

  // The event loop turned; pings systemd's watchdog when it is due.
  void LoopHeartbeat();

  // The Prometheus text format of every metric, with the pool as it is now.
  std::string Text(const PoolStatistics& pool);

 private:
  std::shared_ptr<prometheus::Registry> registry_;
  prometheus::Family<prometheus::Counter>& requests_;
  prometheus::Family<prometheus::Histogram>& latency_;
  prometheus::Counter& rows_;
  prometheus::Counter& bytesIn_;
  prometheus::Counter& bytesOut_;
  prometheus::Gauge& connectionsOpen_;
  prometheus::Counter& connectionsRefused_;
  prometheus::Counter& connectionsEvicted_;
  prometheus::Counter& signInFailures_;
  prometheus::Counter& signInsHeldOff_;
  prometheus::Counter& databaseErrors_;
  prometheus::Gauge& poolSize_;
  prometheus::Counter& poolWaits_;
  uint64_t poolWaitsSeen_ = 0;  // under Text's caller: the listener's one thread
  std::chrono::microseconds watchdogInterval_{0};  // zero: no watchdog
  std::atomic<int64_t> lastPing_{0};               // steady-clock microseconds
};
