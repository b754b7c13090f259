// The shared engine: one connection to a PostgreSQL server through libpq.
// A serving connection never waits longer than a fixed time for the server,
// and when the server went away (stopped, restarted, a network break) it
// connects afresh at its next use, so a running front server recovers by
// itself once the database is back.
#pragma once

#include <libpq-fe.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "server/database/connection.h"

class PostgresConnection : public Connection {
 public:
  // Connects to `conninfo` (any libpq connection string or URI). With
  // `bounded`, connecting and every statement are limited in time, as a
  // serving front server needs; an administration tool waits as long as a
  // bulk load takes. Returns nullptr with `error` set when the first
  // connection fails.
  static std::unique_ptr<PostgresConnection> Open(const std::string& conninfo, bool bounded, std::string& error);

  ~PostgresConnection() override;

  Engine Kind() const override { return Engine::Postgres; }
  bool Run(const std::string& sql, const std::vector<SqlParam>& params, const RowHandler& onRow,
           std::string& error) override;
  bool Exec(const std::string& sql, std::string& error) override;
  bool InsertIntegerRows(const std::string& table, size_t columns, const std::vector<int>& values,
                         std::string& error) override;

 private:
  using Clock = std::chrono::steady_clock;

  PostgresConnection(std::string conninfo, bool bounded) : conninfo_(std::move(conninfo)), bounded_(bounded) {}

  bool Connect(std::string& error);
  // Connects afresh when the connection is gone or the server has closed it
  // while it lay idle. Returns false with `error` set when that fails.
  bool EnsureConnected(std::string& error);
  // Drops the connection after a failure that leaves it unusable.
  void Drop();
  Clock::time_point Deadline() const;
  // Waits until the socket is readable (or writable); false when the
  // deadline passes first.
  bool WaitForSocket(bool forWrite, Clock::time_point deadline);
  // Sends what libpq has buffered, waiting as needed.
  bool Flush(Clock::time_point deadline);
  // Sends statements without values (several may be separated by ";") and
  // collects their results.
  bool Command(const std::string& sql, Clock::time_point deadline, std::string& error);
  // Collects every result of the command in flight; the last one that is
  // not a success decides. Hands the rows of the tuple results to `onRow`.
  bool CollectResults(const RowHandler& onRow, Clock::time_point deadline, std::string& error);
  // The name under which `sql` is prepared on this connection, preparing it
  // first if needed; empty with `error` set on failure.
  std::string PreparedName(const std::string& sql, const std::vector<SqlParam>& params,
                           Clock::time_point deadline, std::string& error);
  bool Failed(const std::string& what, std::string& error);

  std::string conninfo_;
  bool bounded_;
  struct Finisher {
    void operator()(PGconn* conn) const { PQfinish(conn); }
  };
  std::unique_ptr<PGconn, Finisher> conn_;
  std::map<std::string, std::string> prepared_;
};
