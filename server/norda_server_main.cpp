// norda_server: the reference data server.
//   norda_server [--address ADDR] [--port PORT] --database FILE
// Serves POST /norda/dbcommit.php until SIGTERM or SIGINT.
#include <signal.h>
#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "server/db_commit.h"
#include "server/http_front.h"
#include "server/norda_database.h"

namespace {

constexpr const char* DEFAULT_ADDRESS = "127.0.0.1";
constexpr int DEFAULT_PORT = 80;
constexpr long MAX_PORT = 65535;

struct Options {
  std::string address = DEFAULT_ADDRESS;
  int port = DEFAULT_PORT;
  std::string database;
};

// A TCP port: the whole text a decimal number from 1 to MAX_PORT.
bool ParsePort(const char* text, int& port) {
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || value < 1 || value > MAX_PORT) return false;
  port = static_cast<int>(value);
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    if (strcmp(argv[i], "--address") == 0) {
      options.address = argv[i + 1];
    } else if (strcmp(argv[i], "--port") == 0) {
      if (!ParsePort(argv[i + 1], options.port)) return false;
    } else if (strcmp(argv[i], "--database") == 0) {
      options.database = argv[i + 1];
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && !options.database.empty();
}

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  return signals;
}

// Blocks until SIGTERM or SIGINT arrives.
void WaitForStopSignal() {
  sigset_t signals = StopSignals();
  int received = 0;
  sigwait(&signals, &received);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    fprintf(stderr, "usage: norda_server [--address ADDR] [--port PORT] --database FILE\n");
    return 2;
  }
  // Block the stop signals before any thread starts, so only sigwait sees them.
  sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::string error;
  sqlite3* db = OpenServingDatabase(options.database, error);
  if (db == nullptr) {
    fprintf(stderr, "norda_server: %s\n", error.c_str());
    return 1;
  }
  int status = 0;
  {
    DbCommitService service(db);
    HttpFront front(service);
    if (front.Start(options.address, options.port, error)) {
      fprintf(stderr, "norda_server: serving %s on %s:%d\n", options.database.c_str(), options.address.c_str(),
              options.port);
      WaitForStopSignal();
    } else {
      fprintf(stderr, "norda_server: %s\n", error.c_str());
      status = 1;
    }
  }
  sqlite3_close(db);
  return status;
}
