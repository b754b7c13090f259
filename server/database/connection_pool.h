// A fixed set of connections to one database, shared by the server's
// worker threads: each request borrows one for its duration, so no two
// threads ever use one connection at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/database/connection.h"

// Database pools as one: connections in all, and borrows that had to wait.
struct PoolStatistics {
  size_t size = 0;
  uint64_t waits = 0;
};

class ConnectionPool {
 public:
  // A borrowed connection, given back when the lease ends.
  class Lease {
   public:
    Lease(ConnectionPool& pool, std::unique_ptr<Connection> connection)
        : pool_(pool), connection_(std::move(connection)) {}
    ~Lease() { pool_.GiveBack(std::move(connection_)); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    Connection& operator*() const { return *connection_; }
    Connection* operator->() const { return connection_.get(); }

   private:
    ConnectionPool& pool_;
    std::unique_ptr<Connection> connection_;
  };

  // Opens `size` serving connections to `database`. Returns false with
  // `error` set when any of them fails to open.
  bool Open(const std::string& database, size_t size, std::string& error);

  // The engine of the pool's connections.
  Engine Kind() const { return kind_; }

  // Waits until a connection is free and lends it.
  Lease Borrow();

  // Connections of the pool, and borrows so far that had to wait for one.
  size_t Size() const { return size_; }
  uint64_t Waits() const { return waits_.load(std::memory_order_relaxed); }

 private:
  void GiveBack(std::unique_ptr<Connection> connection);

  Engine kind_ = Engine::Sqlite;
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<std::unique_ptr<Connection>> idle_;
  size_t size_ = 0;
  std::atomic<uint64_t> waits_{0};
};
