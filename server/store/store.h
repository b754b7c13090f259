// The typed operations the protocol asks of the database: sign in, record
// usage, this month's usage, observation rows. Each runs the server's own
// prepared statements with the request's values bound; no client text ever
// becomes SQL. The same statements serve both engines.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "server/store/connection.h"
#include "server/store/connection_pool.h"
#include "server/store/observation_query.h"

struct StoreConfig {
  std::string database;      // the primary: accounts, ledger, and observations unless readDatabase is set
  std::string readDatabase;  // optional: where observation rows are read (a replica)
  size_t workers = 1;        // threads that may call the store at once
};

class Store {
 public:
  // Opens the connections: `workers` readers of the primary and, for
  // SQLite, one writer through which every write goes (WAL lets the readers
  // go on meanwhile); PostgreSQL writes through its readers' pool. With
  // readDatabase, `workers` more for observations. Returns false with
  // `error` set when a database cannot be opened or holds no schema.
  bool Open(const StoreConfig& config, std::string& error);

  // The client numbers of the accounts whose user ID and password are
  // exactly these, ordered by client number (the programs accept exactly
  // one). Returns false with `error` set when the database fails.
  bool SignIn(const std::string& userId, const std::string& password, std::vector<std::string>& clientNos,
              std::string& error);

  // Adds one usage row dated `feeday` and returns once it is committed.
  // Returns false with `error` set (nothing added) on failure.
  bool RecordUsage(const std::string& clientNo, int64_t dataTotal, const std::string& feeday, std::string& error);

  // The sum of the client's rows whose feeday matches the LIKE `pattern`
  // ("%" any text, "_" one character); `sum` is empty when no row matches.
  bool MonthlyUsage(const std::string& clientNo, const std::string& pattern, std::string& sum, std::string& error);

  // Hands every row of `query` to `onRow` once, in key order (station, then
  // period), all columns in table order. Returns false with `error` set when
  // the database fails; rows handed over before that stay handed over.
  bool ObservationRows(const ObservationQuery& query, const RowHandler& onRow, std::string& error);

 private:
  ConnectionPool primary_;
  std::unique_ptr<ConnectionPool> writer_;        // SQLite only
  std::unique_ptr<ConnectionPool> observations_;  // with a read database only
};

// The local time as "YYYY-MM-DD HH:MM:SS", the feeday of a usage row.
std::string LocalTimestamp();
