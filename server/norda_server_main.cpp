// norda_server: the reference data server.
//   norda_server [--address ADDR] [--port PORT] --database DATABASE [--read-database DATABASE]
// DATABASE is a SQLite file or a PostgreSQL connection string. Serves
// POST /norda/dbcommit.php until SIGTERM or SIGINT.
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "server/http/http_front.h"
#include "server/protocol/db_commit.h"
#include "server/store/store.h"

namespace {

constexpr const char* DEFAULT_ADDRESS = "127.0.0.1";
constexpr int DEFAULT_PORT = 80;
constexpr long MAX_PORT = 65535;
// Worker threads per processor: requests mostly compute on SQLite, or wait
// for PostgreSQL; two a core keep the cores busy in both cases.
constexpr unsigned WORKERS_PER_CORE = 2;
constexpr unsigned MIN_WORKERS = 4;
constexpr const char* USAGE =
    "usage: norda_server [--address ADDR] [--port PORT] --database DATABASE [--read-database DATABASE]\n"
    "  DATABASE: a SQLite file, or a PostgreSQL connection string (postgresql://... or key=value ...)\n"
    "  --read-database: where observation rows are read, e.g. a streaming replica of the primary\n";

struct Options {
  std::string address = DEFAULT_ADDRESS;
  int port = DEFAULT_PORT;
  StoreConfig store;
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
      options.store.database = argv[i + 1];
    } else if (strcmp(argv[i], "--read-database") == 0) {
      options.store.readDatabase = argv[i + 1];
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && !options.store.database.empty();
}

unsigned WorkerCount() { return std::max(MIN_WORKERS, WORKERS_PER_CORE * std::thread::hardware_concurrency()); }

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

// The database as the log may show it: a connection string may hold a
// password, so only its engine is named.
std::string Describe(const std::string& database) {
  return IsPostgresTarget(database) ? "a PostgreSQL database" : database;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    fputs(USAGE, stderr);
    return 2;
  }
  // Block the stop signals before any thread starts, so only sigwait sees them.
  sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::string error;
  options.store.workers = WorkerCount();
  Store store;
  if (!store.Open(options.store, error)) {
    fprintf(stderr, "norda_server: %s\n", error.c_str());
    return 1;
  }
  DbCommitService service(store);
  HttpFront front(service);
  if (!front.Start(options.address, options.port, options.store.workers, error)) {
    fprintf(stderr, "norda_server: %s\n", error.c_str());
    return 1;
  }
  fprintf(stderr, "norda_server: serving %s on %s:%d\n", Describe(options.store.database).c_str(),
          options.address.c_str(), options.port);
  WaitForStopSignal();
  return 0;
}
