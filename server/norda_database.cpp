#include "server/norda_database.h"

#include <strings.h>

#include <ctime>

#include "server/observation_tables.h"

namespace {

// Longest SQL text a request may carry, in bytes.
constexpr int MAX_SQL_BYTES = 1 << 20;
constexpr int BUSY_TIMEOUT_MS = 10000;
constexpr int MAX_COMPOUND_SELECTS = 8;
constexpr int MAX_EXPRESSION_DEPTH = 64;
constexpr int MAX_LIKE_PATTERN_BYTES = 64;

constexpr const char* ACCOUNT_SCHEMA =
    "CREATE TABLE client_mt("
    " client_no TEXT NOT NULL CHECK (length(client_no) = 5),"
    " user_id TEXT NOT NULL,"
    " password TEXT NOT NULL);"
    "CREATE TABLE fee_history_dt("
    " client_no TEXT NOT NULL,"
    " feeday TEXT NOT NULL,"
    " data_total INTEGER NOT NULL CHECK (typeof(data_total) = 'integer' AND data_total >= 0));"
    "CREATE INDEX fee_history_client ON fee_history_dt(client_no, feeday);";

bool Exec(sqlite3* db, const std::string& sql, std::string& error) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
  error = message ? message : sqlite3_errmsg(db);
  sqlite3_free(message);
  return false;
}

// The station and the period identify a row: one row per station and
// period, stored in that order so a station's period range is read in one
// sweep.
std::string ObservationKey(const ObservationTable& table) {
  std::string key = ObservationColumnName(0);
  for (ObservationField field : {ObservationField::Year, ObservationField::Period2, ObservationField::Period3}) {
    for (size_t i = 0; i < table.columns.size(); ++i) {
      if (table.columns[i] == field) key += ", " + ObservationColumnName(i);
    }
  }
  return key;
}

std::string ObservationTableSql(const ObservationTable& table) {
  std::string sql = std::string("CREATE TABLE ") + table.name + "(";
  for (size_t i = 0; i < table.columns.size(); ++i) sql += ObservationColumnName(i) + " INTEGER NOT NULL, ";
  return sql + "PRIMARY KEY (" + ObservationKey(table) + ")) WITHOUT ROWID;";
}

void NowFunction(sqlite3_context* context, int, sqlite3_value**) {
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  sqlite3_result_text(context, text, -1, SQLITE_TRANSIENT);
}

bool Named(const char* name, const char* expected) {
  return name != nullptr && strcasecmp(name, expected) == 0;
}

bool ReadableTable(const char* table) {
  return table != nullptr &&
         (Named(table, "client_mt") || Named(table, "fee_history_dt") || IsObservationTable(table));
}

// Second line of defence behind the statement shapes: whatever gets past
// them may still only read the known tables and insert usage rows.
int Authorize(void*, int action, const char* arg1, const char* arg2, const char*, const char*) {
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_TRANSACTION:
      return SQLITE_OK;
    case SQLITE_READ:
      return ReadableTable(arg1) ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_INSERT:
      return Named(arg1, "fee_history_dt") ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_FUNCTION:
      return Named(arg2, "now") || Named(arg2, "sum") || Named(arg2, "like") ? SQLITE_OK : SQLITE_DENY;
    default:
      return SQLITE_DENY;
  }
}

void LimitConnection(sqlite3* db) {
  sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
  sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, MAX_SQL_BYTES);
  sqlite3_limit(db, SQLITE_LIMIT_COMPOUND_SELECT, MAX_COMPOUND_SELECTS);
  sqlite3_limit(db, SQLITE_LIMIT_EXPR_DEPTH, MAX_EXPRESSION_DEPTH);
  sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, MAX_LIKE_PATTERN_BYTES);
  sqlite3_limit(db, SQLITE_LIMIT_VARIABLE_NUMBER, 0);
  sqlite3_limit(db, SQLITE_LIMIT_TRIGGER_DEPTH, 0);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
}

// A file without the account table is no server database (a mistyped path
// would otherwise serve an empty, freshly created file).
bool HoldsSchema(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  bool found = sqlite3_prepare_v2(db,
                                  "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'client_mt'",
                                  -1, &stmt, nullptr) == SQLITE_OK &&
               sqlite3_step(stmt) == SQLITE_ROW;
  sqlite3_finalize(stmt);
  return found;
}

// Registers now(): the local time as "YYYY-MM-DD HH:MM:SS".
bool RegisterNowFunction(sqlite3* db) {
  return sqlite3_create_function(db, "now", 0, SQLITE_UTF8, nullptr, NowFunction, nullptr, nullptr) ==
         SQLITE_OK;
}

}  // namespace

bool CreateSchema(sqlite3* db, std::string& error) {
  std::string sql = ACCOUNT_SCHEMA;
  for (const ObservationTable& table : ObservationTables()) sql += ObservationTableSql(table);
  return Exec(db, sql, error);
}

sqlite3* OpenServingDatabase(const std::string& path, std::string& error) {
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    error = "cannot open database " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return nullptr;
  }
  if (!HoldsSchema(db)) {
    error = "database " + path + " holds no client_mt table";
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, BUSY_TIMEOUT_MS);
  // A write-ahead log makes each usage record one log write instead of a
  // rollback journal's several syncs, and lets other readers of the file
  // (an operator's tools) read while the server writes.
  sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
  RegisterNowFunction(db);
  LimitConnection(db);
  sqlite3_set_authorizer(db, Authorize, nullptr);
  return db;
}
