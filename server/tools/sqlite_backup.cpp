#include "server/tools/sqlite_backup.h"

#include <sqlite3.h>

#include <cstdio>
#include <memory>

#include "server/database/connection.h"

namespace {

// How long a copy waits for a lock the server holds a moment.
constexpr int BUSY_MILLISECONDS = 10'000;
// A table every server database holds.
constexpr const char* SERVER_TABLE = "client_mt";

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;

bool Open(const std::string& path, int flags, Database& db, std::string& error) {
  sqlite3* handle = nullptr;
  int status = sqlite3_open_v2(path.c_str(), &handle, flags, nullptr);
  db.reset(handle);
  if (status != SQLITE_OK) {
    error = "cannot open " + path + ": " + (handle ? sqlite3_errmsg(handle) : sqlite3_errstr(status));
    return false;
  }
  sqlite3_busy_timeout(handle, BUSY_MILLISECONDS);
  return true;
}

// The first column of the first row of `sql`, or "" when it gives none.
std::string FirstValue(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  std::string value;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    if (text != nullptr) value = reinterpret_cast<const char*>(text);
  }
  sqlite3_finalize(statement);
  return value;
}

bool CheckIntegrity(sqlite3* db, const std::string& path, std::string& error) {
  std::string verdict = FirstValue(db, "PRAGMA integrity_check");
  if (verdict == "ok") return true;
  error = path + " fails the integrity check: " + (verdict.empty() ? sqlite3_errmsg(db) : verdict);
  return false;
}

// Copies every page of `from` into `to` in one step, so that the copy is
// one snapshot of `from`.
bool CopyPages(sqlite3* from, sqlite3* to, const std::string& target, std::string& error) {
  sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
  if (backup == nullptr) {
    error = "cannot copy into " + target + ": " + sqlite3_errmsg(to);
    return false;
  }
  int step = sqlite3_backup_step(backup, -1);
  sqlite3_backup_finish(backup);
  if (step == SQLITE_DONE) return true;
  error = step == SQLITE_BUSY || step == SQLITE_LOCKED
              ? target + " is in use: stop the server first"
              : "copy into " + target + " failed: " + sqlite3_errstr(step);
  return false;
}

bool RefusePostgres(const std::string& database, std::string& error) {
  if (!IsPostgresTarget(database)) return false;
  error = "backup and restore take a SQLite file; back up PostgreSQL with pg_dump or pg_basebackup";
  return true;
}

}  // namespace

bool BackupSqlite(const std::string& database, const std::string& file, std::string& error) {
  if (RefusePostgres(database, error)) return false;
  std::string part = file + ".part";
  std::remove(part.c_str());
  Database from, to;
  bool copied = Open(database, SQLITE_OPEN_READWRITE, from, error) &&
                Open(part, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, to, error) &&
                CopyPages(from.get(), to.get(), part, error) && CheckIntegrity(to.get(), part, error);
  to.reset();
  if (copied && std::rename(part.c_str(), file.c_str()) == 0) return true;
  if (copied) error = "cannot move the copy to " + file;
  std::remove(part.c_str());
  return false;
}

bool RestoreSqlite(const std::string& file, const std::string& database, std::string& error) {
  if (RefusePostgres(database, error)) return false;
  Database from, to;
  if (!Open(file, SQLITE_OPEN_READONLY, from, error) || !CheckIntegrity(from.get(), file, error)) return false;
  std::string holds = "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '" +
                      std::string(SERVER_TABLE) + "'";
  if (FirstValue(from.get(), holds.c_str()) != "1") {
    error = file + " is no backup of the server's database";
    return false;
  }
  return Open(database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, to, error) &&
         CopyPages(from.get(), to.get(), database, error) && CheckIntegrity(to.get(), database, error);
}
