#include "tests/server/database_probe.h"

#include <memory>
#include <vector>

#include "server/accounts/password_hash.h"
#include "server/database/connection.h"

namespace {

constexpr const char* SQLITE_SCHEMA = "SELECT type, name, sql FROM sqlite_master ORDER BY name";
constexpr const char* POSTGRES_SCHEMA =
    "SELECT table_name, column_name, data_type, collation_name FROM information_schema.columns "
    "WHERE table_schema = 'public' ORDER BY table_name, ordinal_position";
constexpr const char* POSTGRES_INDEXES =
    "SELECT indexname, indexdef FROM pg_indexes WHERE schemaname = 'public' ORDER BY indexname";

// The statements of `sql`, cut at every ";" outside quotes.
std::vector<std::string> Statements(const std::string& sql) {
  std::vector<std::string> statements(1);
  bool quoted = false;
  for (char c : sql) {
    if (c == '\'') quoted = !quoted;
    if (c == ';' && !quoted) {
      statements.emplace_back();
    } else {
      statements.back() += c;
    }
  }
  if (statements.back().find_first_not_of(" \t\r\n") == std::string::npos) statements.pop_back();
  return statements;
}

}  // namespace

std::string QueryDatabase(const std::string& database, const std::string& sql) {
  std::string error, rows;
  std::unique_ptr<Connection> db = OpenConnection(database, ConnectionUse::Administration, error);
  if (!db) return "SQL ERROR: " + error;
  auto collect = [&rows](const ResultRow& row) {
    for (int i = 0; i < row.ColumnCount(); ++i) {
      if (i > 0) rows += '|';
      rows += row.IsNull(i) ? "NULL" : std::string(row.Text(i));
    }
    rows += '\n';
  };
  for (const std::string& statement : Statements(sql)) {
    if (!db->Run(statement, {}, collect, error)) return "SQL ERROR: " + error;
  }
  return rows;
}

std::string DatabaseSnapshot(const std::string& database) {
  std::string schema = IsPostgresTarget(database)
                           ? QueryDatabase(database, POSTGRES_SCHEMA) + QueryDatabase(database, POSTGRES_INDEXES)
                           : QueryDatabase(database, SQLITE_SCHEMA);
  return schema + QueryDatabase(database, "SELECT * FROM client_mt ORDER BY client_no, user_id, password") +
         QueryDatabase(database, "SELECT * FROM fee_history_dt ORDER BY feeday, client_no, data_total") +
         QueryDatabase(database, "SELECT * FROM delivery_dt ORDER BY client_no, delivered_on") +
         QueryDatabase(database,
                       "SELECT (SELECT count(*) FROM st_data_h), (SELECT count(*) FROM st_data_th),"
                       " (SELECT count(*) FROM st_data_rh), (SELECT count(*) FROM st_data_j),"
                       " (SELECT count(*) FROM st_data_t), (SELECT count(*) FROM st_data_n),"
                       " (SELECT sum(d14) FROM st_data_h)");
}

std::string AddAccount(const std::string& database, const std::string& clientNo, const std::string& userId,
                       const std::string& password) {
  std::string error;
  std::unique_ptr<Connection> db = OpenConnection(database, ConnectionUse::Administration, error);
  std::string hash;
  if (!db || !HashPassword(password, hash, error) ||
      !db->Run("INSERT INTO client_mt(client_no, user_id, password) VALUES ($1, $2, $3)", {clientNo, userId, hash},
               nullptr, error)) {
    return "SQL ERROR: " + error;
  }
  return "";
}
