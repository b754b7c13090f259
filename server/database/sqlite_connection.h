// The embedded engine: one connection to a SQLite file. A connection is used
// by one thread at a time (the pool hands it out), so SQLite's own per-
// connection locking is switched off.
#pragma once

#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>

#include "server/database/connection.h"

class SqliteConnection : public Connection {
 public:
  // Opens `path`. With `mustExist` a missing file, or one without the
  // account table, is refused (a mistyped path would otherwise serve an
  // empty, freshly created database). Returns nullptr with `error` set.
  static std::unique_ptr<SqliteConnection> Open(const std::string& path, bool mustExist, std::string& error);

  ~SqliteConnection() override;

  Engine Kind() const override { return Engine::Sqlite; }
  bool Run(const std::string& sql, const std::vector<SqlParam>& params, const RowHandler& onRow,
           std::string& error) override;
  bool Exec(const std::string& sql, std::string& error) override;
  bool InsertIntegerRows(const std::string& table, size_t columns, const std::vector<int>& values,
                         std::string& error) override;

 private:
  explicit SqliteConnection(sqlite3* db) : db_(db) {}
  // The prepared form of `sql`, from the cache or newly prepared; nullptr
  // with `error` set when it does not prepare.
  sqlite3_stmt* Prepared(const std::string& sql, std::string& error);
  bool HoldsSchema();

  struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
  };
  std::unique_ptr<sqlite3, Closer> db_;
  std::map<std::string, sqlite3_stmt*> statements_;  // finalized before db_ closes
};
