// The rows a front server delivered that are not yet in delivery_dt. An
// observation reply adds its rows here, in memory, and a thread of the
// tally's own writes what has gathered in one transaction per
// FLUSH_INTERVAL and once more when the tally is destroyed (the server
// stopping), so no reply waits for a write. A server that dies without
// stopping loses at most the rows of the last interval; a flush that fails
// keeps its rows for the next one.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "server/database/connection.h"

class DeliveryTally {
 public:
  static constexpr std::chrono::seconds FLUSH_INTERVAL{1};

  DeliveryTally() = default;
  DeliveryTally(const DeliveryTally&) = delete;
  DeliveryTally& operator=(const DeliveryTally&) = delete;
  // Writes what is still pending, then ends the flushing thread.
  ~DeliveryTally();

  // Opens the tally's own connection to `database` and starts flushing.
  // Returns false with `error` set when the connection cannot be opened.
  bool Open(const std::string& database, std::string& error);

  // Counts `rows` more delivered to `clientNo` on `day` ("YYYY-MM-DD").
  void Add(const std::string& clientNo, const std::string& day, int64_t rows);

  // Per client number, the rows delivered in `month` ("YYYY-MM") that
  // delivery_dt may not hold yet: pending ones and those of a flush not yet
  // committed. Taken before reading the table, a row is counted twice at
  // worst (when its flush commits in between), never missed.
  std::map<std::string, int64_t> Unwritten(const std::string& month);

 private:
  using Key = std::pair<std::string, std::string>;  // client number, day
  using Rows = std::map<Key, int64_t>;

  void FlushEvery();
  // Writes what is pending in one transaction; on failure the rows go back.
  void Flush();
  bool Write(const Rows& rows, std::string& error);
  static void AddAll(const Rows& from, Rows& to);

  std::unique_ptr<Connection> connection_;  // used by the flushing thread only
  std::mutex mutex_;
  std::condition_variable stopping_;
  bool stop_ = false;
  Rows pending_;
  Rows writing_;  // taken by the flush under way
  std::thread flusher_;
};
