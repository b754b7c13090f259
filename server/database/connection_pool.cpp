#include "server/database/connection_pool.h"

bool ConnectionPool::Open(const std::string& database, size_t size, std::string& error) {
  for (size_t i = 0; i < size; ++i) {
    std::unique_ptr<Connection> connection = OpenConnection(database, ConnectionUse::Serving, error);
    if (!connection) return false;
    kind_ = connection->Kind();
    idle_.push_back(std::move(connection));
    ++size_;
  }
  return true;
}

ConnectionPool::Lease ConnectionPool::Borrow() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (idle_.empty()) waits_.fetch_add(1, std::memory_order_relaxed);
  returned_.wait(lock, [this] { return !idle_.empty(); });
  std::unique_ptr<Connection> connection = std::move(idle_.back());
  idle_.pop_back();
  return Lease(*this, std::move(connection));
}

void ConnectionPool::GiveBack(std::unique_ptr<Connection> connection) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    idle_.push_back(std::move(connection));
  }
  returned_.notify_one();
}
