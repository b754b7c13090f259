// norda_sample: writes the deterministic sample database and master files.
//   norda_sample --database DATABASE [--masters FOLDER]
// DATABASE is a SQLite file or a PostgreSQL connection string naming an
// existing, empty database.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "server/database/connection.h"
#include "server/tools/master_files.h"
#include "server/tools/sample_installation.h"

namespace {

// The master files of the database just written.
bool WriteMasters(const std::string& database, const std::string& folder, std::string& error) {
  mkdir(folder.c_str(), 0755);
  std::unique_ptr<Connection> db = OpenConnection(database, ConnectionUse::Administration, error);
  return db && WriteMasterFiles(*db, folder, error);
}

}  // namespace

int main(int argc, char** argv) {
  std::string database, masters;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (strcmp(argv[i], "--database") == 0) database = argv[i + 1];
    if (strcmp(argv[i], "--masters") == 0) masters = argv[i + 1];
  }
  if (database.empty() || argc != (masters.empty() ? 3 : 5)) {
    fprintf(stderr, "usage: norda_sample --database DATABASE [--masters FOLDER]\n");
    return 2;
  }
  std::string error;
  if (!WriteSampleDatabase(database, error) || (!masters.empty() && !WriteMasters(database, masters, error))) {
    fprintf(stderr, "norda_sample: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
