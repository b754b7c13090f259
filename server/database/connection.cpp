#include "server/database/connection.h"

#include <cctype>

#include "server/database/postgres_connection.h"
#include "server/database/sqlite_connection.h"

bool IsPostgresTarget(const std::string& database) {
  if (database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0) return true;
  // A key=value connection string starts with a keyword and "=".
  size_t i = 0;
  while (i < database.size() && (std::isalnum(static_cast<unsigned char>(database[i])) || database[i] == '_')) ++i;
  while (i < database.size() && database[i] == ' ') ++i;
  return i > 0 && i < database.size() && database[i] == '=';
}

std::unique_ptr<Connection> OpenConnection(const std::string& database, ConnectionUse use, std::string& error) {
  bool serving = use == ConnectionUse::Serving;
  if (IsPostgresTarget(database)) return PostgresConnection::Open(database, serving, error);
  return SqliteConnection::Open(database, serving, error);
}

bool RunInTransaction(Connection& connection, const std::function<bool(std::string& error)>& body,
                      std::string& error) {
  // SQLite takes the write lock at once (waiting for it as long as its busy
  // timeout allows): a transaction that read first and then wants to write
  // fails at once when another connection wrote in between.
  if (!connection.Exec(connection.Kind() == Engine::Sqlite ? "BEGIN IMMEDIATE" : "BEGIN", error)) return false;
  if (body(error) && connection.Exec("COMMIT", error)) return true;
  std::string ignored;
  connection.Exec("ROLLBACK", ignored);
  return false;
}

bool CountOf(Connection& connection, const char* sql, const std::vector<SqlParam>& params, int64_t& count,
             std::string& error) {
  count = 0;
  return connection.Run(sql, params, [&count](const ResultRow& row) { count = row.Integer(0); }, error);
}
