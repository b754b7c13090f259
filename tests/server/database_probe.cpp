#include "tests/server/database_probe.h"

#include <sqlite3.h>

namespace {

constexpr int BUSY_TIMEOUT_MS = 10000;

int CollectRow(void* out, int columns, char** values, char**) {
  std::string& rows = *static_cast<std::string*>(out);
  for (int i = 0; i < columns; ++i) {
    if (i > 0) rows += '|';
    rows += values[i] ? values[i] : "NULL";
  }
  rows += '\n';
  return 0;
}

}  // namespace

std::string QueryDatabase(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string rows;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return "SQL ERROR: cannot open " + path;
  }
  sqlite3_busy_timeout(db, BUSY_TIMEOUT_MS);
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), CollectRow, &rows, &message) != SQLITE_OK) {
    rows = std::string("SQL ERROR: ") + (message ? message : "");
    sqlite3_free(message);
  }
  sqlite3_close(db);
  return rows;
}

std::string DatabaseSnapshot(const std::string& path) {
  return QueryDatabase(path,
                       "SELECT type, name, sql FROM sqlite_master ORDER BY name;"
                       "SELECT * FROM client_mt ORDER BY rowid;"
                       "SELECT * FROM fee_history_dt ORDER BY rowid;"
                       "SELECT (SELECT count(*) FROM st_data_h), (SELECT count(*) FROM st_data_th),"
                       " (SELECT count(*) FROM st_data_rh), (SELECT count(*) FROM st_data_j),"
                       " (SELECT count(*) FROM st_data_t), (SELECT count(*) FROM st_data_n),"
                       " (SELECT sum(d14) FROM st_data_h);");
}
