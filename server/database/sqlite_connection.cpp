#include "server/database/sqlite_connection.h"

#include <charconv>
#include <cstdlib>
#include <mutex>

namespace {

constexpr int BUSY_TIMEOUT_MS = 10000;
// Distinct statements kept prepared per connection. Observation requests
// come in a handful of shapes; a client sending ever new ones only makes
// the cache start over.
constexpr size_t MAX_CACHED_STATEMENTS = 64;
// Read connections map the file instead of copying its pages.
constexpr const char* READ_SETTINGS = "PRAGMA mmap_size = 268435456";

// SQLite keeps process-wide memory statistics behind one global mutex that
// every allocation takes; the server needs none of them, and with several
// reading threads that mutex is where they would queue.
void ConfigureLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

// Our statements are written with "$1", "$2", ...; SQLite numbers its
// placeholders "?1", "?2", ... ("$1" would be a named one).
std::string NumberedPlaceholders(const std::string& sql) {
  std::string converted = sql;
  for (size_t i = 0; i + 1 < converted.size(); ++i) {
    if (converted[i] == '$' && converted[i + 1] >= '0' && converted[i + 1] <= '9') converted[i] = '?';
  }
  return converted;
}

class SqliteRow : public ResultRow {
 public:
  explicit SqliteRow(sqlite3_stmt* stmt) : stmt_(stmt) {}
  int ColumnCount() const override { return sqlite3_column_count(stmt_); }
  bool IsNull(int column) const override { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  std::string_view Text(int column) const override {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    if (text == nullptr) return {};
    return {reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(stmt_, column))};
  }
  int64_t Integer(int column) const override { return sqlite3_column_int64(stmt_, column); }
  void AppendTo(int column, std::string& out) const override {
    if (sqlite3_column_type(stmt_, column) == SQLITE_INTEGER) {
      char digits[24];
      auto end = std::to_chars(digits, digits + sizeof digits, sqlite3_column_int64(stmt_, column)).ptr;
      out.append(digits, end);
    } else {
      out += Text(column);
    }
  }

 private:
  sqlite3_stmt* stmt_;
};

bool Bind(sqlite3_stmt* stmt, const std::vector<SqlParam>& params) {
  for (size_t i = 0; i < params.size(); ++i) {
    int index = static_cast<int>(i) + 1;
    int result;
    if (const int64_t* number = std::get_if<int64_t>(&params[i])) {
      result = sqlite3_bind_int64(stmt, index, *number);
    } else {
      std::string_view text = std::get<std::string_view>(params[i]);
      result = sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    }
    if (result != SQLITE_OK) return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<SqliteConnection> SqliteConnection::Open(const std::string& path, bool mustExist,
                                                         std::string& error) {
  ConfigureLibraryOnce();
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (mustExist ? 0 : SQLITE_OPEN_CREATE);
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    error = "cannot open database " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return nullptr;
  }
  std::unique_ptr<SqliteConnection> connection(new SqliteConnection(db));
  if (mustExist && !connection->HoldsSchema()) {
    error = "database " + path + " holds no client_mt table";
    return nullptr;
  }
  sqlite3_busy_timeout(db, BUSY_TIMEOUT_MS);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  // A write-ahead log makes each usage record one log write instead of a
  // rollback journal's several syncs, and lets readers go on while the
  // writer writes.
  if (mustExist && !connection->Exec("PRAGMA journal_mode = WAL", error)) return nullptr;
  sqlite3_exec(db, READ_SETTINGS, nullptr, nullptr, nullptr);
  return connection;
}

SqliteConnection::~SqliteConnection() {
  for (auto& entry : statements_) sqlite3_finalize(entry.second);
}

bool SqliteConnection::HoldsSchema() {
  std::string error;
  bool found = false;
  Run("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'client_mt'", {},
      [&found](const ResultRow&) { found = true; }, error);
  return found;
}

sqlite3_stmt* SqliteConnection::Prepared(const std::string& sql, std::string& error) {
  auto found = statements_.find(sql);
  if (found != statements_.end()) return found->second;
  if (statements_.size() >= MAX_CACHED_STATEMENTS) {
    for (auto& entry : statements_) sqlite3_finalize(entry.second);
    statements_.clear();
  }
  sqlite3_stmt* stmt = nullptr;
  std::string numbered = NumberedPlaceholders(sql);
  if (sqlite3_prepare_v3(db_.get(), numbered.c_str(), static_cast<int>(numbered.size()), SQLITE_PREPARE_PERSISTENT,
                         &stmt, nullptr) != SQLITE_OK) {
    error = sqlite3_errmsg(db_.get());
    return nullptr;
  }
  statements_.emplace(sql, stmt);
  return stmt;
}

bool SqliteConnection::Run(const std::string& sql, const std::vector<SqlParam>& params, const RowHandler& onRow,
                           std::string& error) {
  sqlite3_stmt* stmt = Prepared(sql, error);
  if (stmt == nullptr) return false;
  if (!Bind(stmt, params)) {
    error = sqlite3_errmsg(db_.get());
    sqlite3_reset(stmt);
    return false;
  }
  SqliteRow row(stmt);
  int step;
  while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
    if (onRow) onRow(row);
  }
  if (step != SQLITE_DONE) error = sqlite3_errmsg(db_.get());
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  return step == SQLITE_DONE;
}

bool SqliteConnection::Exec(const std::string& sql, std::string& error) {
  char* message = nullptr;
  if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
  error = message ? message : sqlite3_errmsg(db_.get());
  sqlite3_free(message);
  return false;
}

bool SqliteConnection::InsertIntegerRows(const std::string& table, size_t columns, const std::vector<int>& values,
                                         std::string& error) {
  std::string sql = "INSERT INTO " + table + " VALUES (";
  for (size_t i = 0; i < columns; ++i) sql += (i == 0 ? "$" : ",$") + std::to_string(i + 1);
  sql += ")";
  if (columns == 0 || values.size() % columns != 0) {
    error = "rows for " + table + " do not fill whole rows";
    return false;
  }
  std::vector<SqlParam> params(columns);
  for (size_t start = 0; start < values.size(); start += columns) {
    for (size_t i = 0; i < columns; ++i) params[i] = static_cast<int64_t>(values[start + i]);
    if (!Run(sql, params, nullptr, error)) return false;
  }
  return true;
}
