// norda_sample: writes the deterministic sample database and master files.
//   norda_sample --database DATABASE [--masters FOLDER]
// DATABASE is a SQLite file or a PostgreSQL connection string naming an
// existing, empty database.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "server/tools/sample_installation.h"

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
  if (!masters.empty()) mkdir(masters.c_str(), 0755);
  if (!WriteSampleDatabase(database, error) || (!masters.empty() && !WriteMasterFiles(masters, error))) {
    fprintf(stderr, "norda_sample: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
