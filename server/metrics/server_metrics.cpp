#include "server/metrics/server_metrics.h"

#include <prometheus/counter.h>
#include <prometheus/gauge.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>
#include <prometheus/text_serializer.h>
#include <systemd/sd-daemon.h>

namespace {

constexpr const char* VERSION = "1.0.0";
// Latency buckets in seconds: a sign-in takes a few milliseconds (its hash
// most of them), five years of daily rows tens of milliseconds, and a
// request never runs past the ten seconds of a statement.
const prometheus::Histogram::BucketBoundaries LATENCY_BUCKETS = {0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                                                 0.1,   0.25,   0.5,   1,    2.5,   10};
constexpr const char* SIGN_IN_KIND = "sign-in";
constexpr const char* NO_ACCOUNT = "refused: no such account";
constexpr const char* THROTTLED = "refused: throttled";
constexpr const char* FAILED = "failed";

// "ok", "refused" or "failed": the outcome without its detail, so the
// number of series stays fixed.
std::string OutcomeClass(const std::string& outcome) { return outcome.substr(0, outcome.find(':')); }

int64_t SteadyMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// systemd's watchdog time, or zero when no watchdog watches this process.
std::chrono::microseconds WatchdogInterval() {
  uint64_t usec = 0;
  return sd_watchdog_enabled(0, &usec) > 0 ? std::chrono::microseconds(usec) : std::chrono::microseconds(0);
}

prometheus::Counter& Counter(prometheus::Registry& registry, const char* name, const char* help) {
  return prometheus::BuildCounter().Name(name).Help(help).Register(registry).Add({});
}

prometheus::Gauge& Gauge(prometheus::Registry& registry, const char* name, const char* help) {
  return prometheus::BuildGauge().Name(name).Help(help).Register(registry).Add({});
}

}  // namespace

ServerMetrics::ServerMetrics()
    : registry_(std::make_shared<prometheus::Registry>()),
      requests_(prometheus::BuildCounter()
                    .Name("norda_requests_total")
                    .Help("Requests by kind (sign-in, usage, monthly-usage, observation, - when refused "
                          "before its statement was read) and outcome (ok, refused, failed)")
                    .Register(*registry_)),
      latency_(prometheus::BuildHistogram()
                   .Name("norda_request_duration_seconds")
                   .Help("Time from a request's first byte to its reply, by kind")
                   .Register(*registry_)),
      rows_(Counter(*registry_, "norda_rows_served_total", "Observation rows sent")),
      bytesIn_(Counter(*registry_, "norda_received_bytes_total", "Bytes received from clients")),
      bytesOut_(Counter(*registry_, "norda_sent_bytes_total", "Bytes sent to clients")),
      connectionsOpen_(Gauge(*registry_, "norda_connections_open", "Client connections open now")),
      connectionsRefused_(Counter(*registry_, "norda_connections_refused_total",
                                  "Connections refused because their address had its share")),
      connectionsEvicted_(Counter(*registry_, "norda_connections_evicted_total",
                                  "Connections closed to make room for others")),
      signInFailures_(Counter(*registry_, "norda_sign_in_failures_total", "Sign-ins with no matching account")),
      signInsHeldOff_(Counter(*registry_, "norda_sign_ins_held_off_total",
                              "Sign-ins not even checked: their address failed too often lately")),
      databaseErrors_(Counter(*registry_, "norda_database_errors_total", "Requests the database failed")),
      poolSize_(Gauge(*registry_, "norda_database_pool_connections", "Database connections of the pools")),
      poolWaits_(Counter(*registry_, "norda_database_pool_waits_total",
                         "Borrows of a database connection that had to wait for one")),
      watchdogInterval_(WatchdogInterval()) {
  prometheus::BuildGauge()
      .Name("norda_build_info")
      .Help("The server's version")
      .Register(*registry_)
      .Add({{"version", VERSION}})
      .Set(1);
}

ServerMetrics::~ServerMetrics() = default;

void ServerMetrics::ConnectionOpened() { connectionsOpen_.Increment(); }
void ServerMetrics::ConnectionClosed() { connectionsOpen_.Decrement(); }
void ServerMetrics::ConnectionRefused() { connectionsRefused_.Increment(); }
void ServerMetrics::ConnectionEvicted() { connectionsEvicted_.Increment(); }
void ServerMetrics::BytesReceived(size_t bytes) { bytesIn_.Increment(static_cast<double>(bytes)); }
void ServerMetrics::BytesSent(size_t bytes) { bytesOut_.Increment(static_cast<double>(bytes)); }
void ServerMetrics::RowsServed(size_t rows) { rows_.Increment(static_cast<double>(rows)); }

void ServerMetrics::RequestFinished(const std::string& kind, const std::string& outcome, double seconds) {
  std::string outcomeClass = OutcomeClass(outcome);
  requests_.Add({{"kind", kind}, {"outcome", outcomeClass}}).Increment();
  latency_.Add({{"kind", kind}}, LATENCY_BUCKETS).Observe(seconds);
  if (kind == SIGN_IN_KIND && outcome == NO_ACCOUNT) signInFailures_.Increment();
  if (kind == SIGN_IN_KIND && outcome == THROTTLED) signInsHeldOff_.Increment();
  if (outcomeClass == FAILED) databaseErrors_.Increment();
}

// A ping every half of the watchdog time: one late turn of the loop is
// forgiven, a loop that stays stuck is not.
void ServerMetrics::LoopHeartbeat() {
  if (watchdogInterval_.count() == 0) return;
  int64_t now = SteadyMicroseconds();
  if (now - lastPing_.load(std::memory_order_relaxed) < watchdogInterval_.count() / 2) return;
  lastPing_.store(now, std::memory_order_relaxed);
  sd_notify(0, "WATCHDOG=1");
}

std::string ServerMetrics::Text(const PoolStatistics& pool) {
  poolSize_.Set(static_cast<double>(pool.size));
  if (pool.waits > poolWaitsSeen_) poolWaits_.Increment(static_cast<double>(pool.waits - poolWaitsSeen_));
  poolWaitsSeen_ = pool.waits;
  return prometheus::TextSerializer().Serialize(registry_->Collect());
}
