// Posts arbitrary bodies to the reference server's request handling (no
// HTTP), on a database with the server's schema and one account. Whatever
// the body, the handler must answer "OK" or "ERROR:" and must never change
// the schema or the account table.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "server/accounts/password_hash.h"
#include "server/database/connection.h"
#include "server/protocol/db_commit.h"
#include "server/store/schema.h"
#include "server/store/store.h"

namespace {

std::string Fingerprint(Connection& db) {
  std::string text, error;
  for (const char* sql : {"SELECT sql FROM sqlite_master ORDER BY name",
                          "SELECT client_no || user_id || password FROM client_mt ORDER BY rowid"}) {
    if (!db.Run(sql, {}, [&text](const ResultRow& row) { text += std::string(row.Text(0)) + "\n"; }, error)) abort();
  }
  return text;
}

struct Server {
  std::string path;
  std::unique_ptr<Connection> observer;
  Store store;
  std::unique_ptr<DbCommitService> service;
  std::string expected;

  Server() {
    char name[] = "/tmp/tarvex-request-fuzz-XXXXXX";
    close(mkstemp(name));
    path = name;
    std::string error;
    observer = OpenConnection(path, ConnectionUse::Administration, error);
    std::string hash;
    if (!observer || !CreateSchema(*observer, error) || !HashPassword("tarvex", hash, error) ||
        !observer->Run("INSERT INTO client_mt(client_no, user_id, password) VALUES ('10001', 'demo', $1)", {hash},
                       nullptr, error) ||
        !store.Open({path, "", 1, {}}, error)) {
      abort();
    }
    service = std::make_unique<DbCommitService>(store);
    expected = Fingerprint(*observer);
  }

  ~Server() {
    for (const char* suffix : {"", "-wal", "-shm"}) unlink((path + suffix).c_str());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Server server;
  std::string reply = server.service->Run(std::string(reinterpret_cast<const char*>(data), size), "127.0.0.1").body;
  if (reply.compare(0, 3, "OK\n") != 0 && reply.compare(0, 7, "ERROR: ") != 0) abort();
  if (Fingerprint(*server.observer) != server.expected) abort();
  return 0;
}
