#include "server/store/schema.h"

#include "server/weather/observation_tables.h"

namespace {

// Texts compare as bytes: SQLite's default, PostgreSQL's "C" collation.
std::string TextType(Engine engine) { return engine == Engine::Sqlite ? "TEXT" : "text COLLATE \"C\""; }

std::string AccountSchema(Engine engine) {
  std::string text = TextType(engine);
  bool sqlite = engine == Engine::Sqlite;
  return "CREATE TABLE client_mt("
         " client_no " + text + " NOT NULL CHECK (" + (sqlite ? "length" : "char_length") + "(client_no) = 5),"
         " user_id " + text + " NOT NULL,"
         " password " + text + " NOT NULL);"
         "CREATE INDEX client_mt_user ON client_mt(user_id);"
         "CREATE TABLE fee_history_dt("
         " client_no " + text + " NOT NULL,"
         " feeday " + text + " NOT NULL,"
         " data_total " + (sqlite ? "INTEGER NOT NULL CHECK (typeof(data_total) = 'integer' AND data_total >= 0)"
                                  : "bigint NOT NULL CHECK (data_total >= 0)") + ");"
         "CREATE INDEX fee_history_client ON fee_history_dt(client_no, feeday);";
}

// One row per station and period, stored in key order so a station's period
// range is read in one sweep.
std::string ObservationTableSchema(const ObservationTable& table, Engine engine) {
  std::string sql = std::string("CREATE TABLE ") + table.name + "(";
  for (size_t i = 0; i < table.columns.size(); ++i) sql += ObservationColumnName(i) + " INTEGER NOT NULL, ";
  sql += "PRIMARY KEY (";
  std::vector<size_t> key = KeyColumns(table);
  for (size_t i = 0; i < key.size(); ++i) sql += (i ? ", " : "") + ObservationColumnName(key[i]);
  return sql + "))" + (engine == Engine::Sqlite ? " WITHOUT ROWID;" : ";");
}

}  // namespace

bool CreateSchema(Connection& connection, std::string& error) {
  std::string sql = "BEGIN;" + AccountSchema(connection.Kind());
  for (const ObservationTable& table : ObservationTables()) sql += ObservationTableSchema(table, connection.Kind());
  if (connection.Exec(sql + "COMMIT;", error)) return true;
  std::string ignored;
  connection.Exec("ROLLBACK", ignored);
  return false;
}

bool HoldsSchema(Connection& connection) {
  std::string error;
  return connection.Run("SELECT count(*) FROM client_mt WHERE 1 = 0", {}, nullptr, error);
}
