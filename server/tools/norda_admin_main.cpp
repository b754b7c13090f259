// norda_admin: the operator's tool beside the server, on the same database
// layer.
//   norda_admin --database DATABASE init     creates the server's tables
// DATABASE is a SQLite file (created when missing) or a PostgreSQL
// connection string naming an existing, empty database.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "server/store/connection.h"
#include "server/store/schema.h"

namespace {

constexpr const char* USAGE =
    "usage: norda_admin --database DATABASE init\n"
    "  init: create the account table, the usage ledger and the observation tables\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || strcmp(argv[1], "--database") != 0 || strcmp(argv[3], "init") != 0) {
    fputs(USAGE, stderr);
    return 2;
  }
  std::string error;
  std::unique_ptr<Connection> db = OpenConnection(argv[2], ConnectionUse::Administration, error);
  if (!db || !CreateSchema(*db, error)) {
    fprintf(stderr, "norda_admin: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
