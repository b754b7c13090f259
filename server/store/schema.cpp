#include "server/store/schema.h"

#include <vector>

#include "server/accounts/password_hash.h"
#include "server/weather/observation_tables.h"

namespace {

// An account the operator switched off signs in no more.
constexpr const char* DISABLED_COLUMN = " disabled INTEGER NOT NULL DEFAULT 0";
// The rows a month the server may deliver to the account's client; NULL: no limit.
constexpr const char* ALLOWANCE_COLUMN = " allowance BIGINT";

// Texts compare as bytes: SQLite's default, PostgreSQL's "C" collation.
std::string TextType(Engine engine) { return engine == Engine::Sqlite ? "TEXT" : "text COLLATE \"C\""; }

std::string AccountSchema(Engine engine) {
  std::string text = TextType(engine);
  bool sqlite = engine == Engine::Sqlite;
  return "CREATE TABLE client_mt("
         " client_no " + text + " NOT NULL CHECK (" + (sqlite ? "length" : "char_length") + "(client_no) = 5),"
         " user_id " + text + " NOT NULL,"
         " password " + text + " NOT NULL," + DISABLED_COLUMN + "," + ALLOWANCE_COLUMN + ");"
         "CREATE INDEX client_mt_user ON client_mt(user_id);"
         "CREATE TABLE fee_history_dt("
         " client_no " + text + " NOT NULL,"
         " feeday " + text + " NOT NULL,"
         " data_total " + (sqlite ? "INTEGER NOT NULL CHECK (typeof(data_total) = 'integer' AND data_total >= 0)"
                                  : "bigint NOT NULL CHECK (data_total >= 0)") + ");"
         "CREATE INDEX fee_history_client ON fee_history_dt(client_no, feeday);";
}

// The tables an earlier version lacks (the record of sign-ins, the station
// list behind the master files, the rows delivered per client and day);
// "IF NOT EXISTS" lets an upgrade run them on any database.
std::string LaterTablesSchema(Engine engine) {
  std::string text = TextType(engine);
  return "CREATE TABLE IF NOT EXISTS block_mt("
         " block_code " + text + " PRIMARY KEY,"
         " block_name " + text + " NOT NULL);"
         "CREATE TABLE IF NOT EXISTS prefecture_mt("
         " prefecture_code " + text + " PRIMARY KEY,"
         " prefecture_name " + text + " NOT NULL,"
         " block_code " + text + " NOT NULL);"
         "CREATE TABLE IF NOT EXISTS station_mt("
         " station_no " + text + " PRIMARY KEY,"
         " station_name " + text + " NOT NULL,"
         " prefecture_code " + text + " NOT NULL);"
         "CREATE TABLE IF NOT EXISTS sign_in_dt("
         " client_no " + text + " NOT NULL,"
         " address " + text + " NOT NULL,"
         " signed_in BIGINT NOT NULL,"
         " PRIMARY KEY (client_no, address));"
         "CREATE INDEX IF NOT EXISTS sign_in_time ON sign_in_dt(signed_in);"
         "CREATE INDEX IF NOT EXISTS sign_in_address ON sign_in_dt(address, signed_in);"
         "CREATE TABLE IF NOT EXISTS sign_in_failure_dt("
         " address " + text + " NOT NULL,"
         " failed_at BIGINT NOT NULL);"
         "CREATE INDEX IF NOT EXISTS sign_in_failure_address ON sign_in_failure_dt(address, failed_at);"
         "CREATE INDEX IF NOT EXISTS sign_in_failure_time ON sign_in_failure_dt(failed_at);"
         "CREATE TABLE IF NOT EXISTS delivery_dt("
         " client_no " + text + " NOT NULL,"
         " delivered_on " + text + " NOT NULL,"
         " delivered_rows BIGINT NOT NULL CHECK (delivered_rows >= 0),"
         " PRIMARY KEY (client_no, delivered_on));";
}

bool HasColumn(Connection& connection, const char* table, const char* column) {
  std::string ignored;
  return connection.Run(std::string("SELECT ") + column + " FROM " + table + " WHERE 1 = 0", {}, nullptr, ignored);
}

struct StoredPassword {
  std::string clientNo, userId, password;
};

bool HashClearPasswords(Connection& connection, std::string& error) {
  std::vector<StoredPassword> clear;
  auto collect = [&clear](const ResultRow& row) {
    if (!IsPasswordHash(std::string(row.Text(2)))) {
      clear.push_back({std::string(row.Text(0)), std::string(row.Text(1)), std::string(row.Text(2))});
    }
  };
  if (!connection.Run("SELECT client_no, user_id, password FROM client_mt", {}, collect, error)) return false;
  for (const StoredPassword& account : clear) {
    std::string hash;
    if (!HashPassword(account.password, hash, error) ||
        !connection.Run("UPDATE client_mt SET password = $1 WHERE client_no = $2 AND user_id = $3 AND password = $4",
                        {hash, account.clientNo, account.userId, account.password}, nullptr, error)) {
      return false;
    }
  }
  return true;
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
  std::string sql = AccountSchema(connection.Kind()) + LaterTablesSchema(connection.Kind());
  for (const ObservationTable& table : ObservationTables()) sql += ObservationTableSchema(table, connection.Kind());
  return RunInTransaction(connection, [&](std::string& failure) { return connection.Exec(sql, failure); }, error);
}

bool UpgradeSchema(Connection& connection, std::string& error) {
  // Asked before the transaction: a failed statement would end it on PostgreSQL.
  bool hasDisabled = HasColumn(connection, "client_mt", "disabled");
  bool hasAllowance = HasColumn(connection, "client_mt", "allowance");
  return RunInTransaction(
      connection,
      [&](std::string& failure) {
        return connection.Exec(LaterTablesSchema(connection.Kind()), failure) &&
               (hasDisabled ||
                connection.Exec(std::string("ALTER TABLE client_mt ADD COLUMN") + DISABLED_COLUMN, failure)) &&
               (hasAllowance ||
                connection.Exec(std::string("ALTER TABLE client_mt ADD COLUMN") + ALLOWANCE_COLUMN, failure)) &&
               HashClearPasswords(connection, failure);
      },
      error);
}

bool SchemaIsCurrent(Connection& connection, std::string& problem) {
  std::string error;
  for (const char* table : {"client_mt", "fee_history_dt", "sign_in_dt", "sign_in_failure_dt", "station_mt",
                            "delivery_dt"}) {
    if (!HasColumn(connection, table, "*")) {
      problem = std::string("the database has no table ") + table;
      return false;
    }
  }
  for (const char* column : {"disabled", "allowance"}) {
    if (!HasColumn(connection, "client_mt", column)) {
      problem = std::string("the account table has no column ") + column;
      return false;
    }
  }
  bool clear = false;
  connection.Run("SELECT password FROM client_mt", {},
                 [&clear](const ResultRow& row) { clear = clear || !IsPasswordHash(std::string(row.Text(0))); },
                 error);
  if (clear) problem = "the account table holds passwords in clear";
  return !clear;
}
