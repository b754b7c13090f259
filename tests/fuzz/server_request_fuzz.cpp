// Posts arbitrary bodies to the reference server's request handling (no
// HTTP), on a database with the server's schema and one account. Whatever
// the body, the handler must answer "OK" or "ERROR:" and must never change
// the schema or the account table.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "server/db_commit.h"
#include "server/norda_database.h"

namespace {

std::string Fingerprint(sqlite3* db) {
  std::string text;
  sqlite3_stmt* stmt = nullptr;
  const char* sql =
      "SELECT group_concat(sql, ';') FROM sqlite_master UNION ALL "
      "SELECT group_concat(client_no || user_id || password, ';') FROM client_mt";
  sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* value = sqlite3_column_text(stmt, 0);
    text += value ? reinterpret_cast<const char*>(value) : "";
    text += '\n';
  }
  sqlite3_finalize(stmt);
  return text;
}

struct Server {
  std::string path;
  sqlite3* db = nullptr;
  sqlite3* observer = nullptr;
  DbCommitService* service = nullptr;
  std::string expected;

  Server() {
    char name[] = "/tmp/tarvex-request-fuzz-XXXXXX";
    close(mkstemp(name));
    path = name;
    std::string error;
    sqlite3_open(path.c_str(), &observer);
    if (!CreateSchema(observer, error) ||
        sqlite3_exec(observer, "INSERT INTO client_mt VALUES ('10001','demo','tarvex')", nullptr, nullptr,
                     nullptr) != SQLITE_OK) {
      abort();
    }
    db = OpenServingDatabase(path, error);
    if (db == nullptr) abort();
    service = new DbCommitService(db);
    expected = Fingerprint(observer);
  }

  ~Server() {
    delete service;
    sqlite3_close(db);
    sqlite3_close(observer);
    for (const char* suffix : {"", "-wal", "-shm"}) unlink((path + suffix).c_str());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Server server;
  std::string reply = server.service->Run(std::string(reinterpret_cast<const char*>(data), size));
  if (reply.compare(0, 3, "OK\n") != 0 && reply.compare(0, 7, "ERROR: ") != 0) abort();
  if (Fingerprint(server.observer) != server.expected) abort();
  return 0;
}
