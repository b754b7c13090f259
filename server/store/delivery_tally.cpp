#include "server/store/delivery_tally.h"

#include <cstdio>

namespace {

constexpr const char* TALLY_SQL =
    "INSERT INTO delivery_dt(client_no, delivered_on, delivered_rows) VALUES ($1, $2, $3) "
    "ON CONFLICT (client_no, delivered_on) DO UPDATE SET delivered_rows = delivery_dt.delivered_rows + "
    "excluded.delivered_rows";

}  // namespace

DeliveryTally::~DeliveryTally() {
  if (!flusher_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  stopping_.notify_one();
  flusher_.join();
}

bool DeliveryTally::Open(const std::string& database, std::string& error) {
  connection_ = OpenConnection(database, ConnectionUse::Serving, error);
  if (!connection_) return false;
  flusher_ = std::thread(&DeliveryTally::FlushEvery, this);
  return true;
}

void DeliveryTally::Add(const std::string& clientNo, const std::string& day, int64_t rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  pending_[{clientNo, day}] += rows;
}

std::map<std::string, int64_t> DeliveryTally::Unwritten(const std::string& month) {
  std::map<std::string, int64_t> rows;
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Rows* part : {&pending_, &writing_}) {
    for (const auto& [key, count] : *part) {
      if (key.second.compare(0, month.size(), month) == 0) rows[key.first] += count;
    }
  }
  return rows;
}

void DeliveryTally::FlushEvery() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    stopping_.wait_for(lock, FLUSH_INTERVAL, [this] { return stop_; });
    lock.unlock();
    Flush();
    lock.lock();
  }
}

void DeliveryTally::Flush() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pending_.empty()) return;
    writing_.swap(pending_);
  }
  std::string error;
  bool written = Write(writing_, error);
  if (!written) fprintf(stderr, "norda_server: delivered rows kept for the next write: %s\n", error.c_str());
  std::lock_guard<std::mutex> lock(mutex_);
  if (!written) AddAll(writing_, pending_);
  writing_.clear();
}

bool DeliveryTally::Write(const Rows& rows, std::string& error) {
  return RunInTransaction(
      *connection_,
      [&](std::string& failure) {
        for (const auto& [key, count] : rows) {
          if (!connection_->Run(TALLY_SQL, {key.first, key.second, count}, nullptr, failure)) return false;
        }
        return true;
      },
      error);
}

void DeliveryTally::AddAll(const Rows& from, Rows& to) {
  for (const auto& [key, count] : from) to[key] += count;
}
