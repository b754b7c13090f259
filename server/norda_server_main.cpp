// norda_server: the reference data server. `norda_server --help` lists the
// options. Serves POST /norda/dbcommit.php until SIGTERM or SIGINT.
#include <arpa/inet.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "server/http/access_log.h"
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
constexpr long LARGEST_COUNT = 1'000'000;
constexpr long LONGEST_SECONDS = 86'400;
// The one option without a value.
constexpr const char* OPEN_READS = "--open-reads";

constexpr const char* USAGE =
    "usage: norda_server [OPTION...] --database DATABASE\n"
    "  --database DATABASE        a SQLite file, or a PostgreSQL connection string\n"
    "                             (postgresql://... or key=value ...)\n"
    "  --read-database DATABASE   where observation rows are read, e.g. a streaming replica\n"
    "  --address ADDR             IPv4 address to listen on (127.0.0.1)\n"
    "  --port PORT                port to listen on (80)\n"
    "  --access-log FILE          append the access log to FILE (standard error)\n"
    "  --trusted-proxy ADDR       a proxy whose X-Real-IP or X-Forwarded-For names the client\n"
    "                             (may be given several times; none)\n"
    "  --max-connections N        open connections in all (1024)\n"
    "  --max-connections-per-address N\n"
    "                             open connections or requests of one client address (32)\n"
    "  --request-time SECONDS     time for a whole request to arrive, at any pace (10)\n"
    "  --sign-in-failures N       failed sign-ins from one address before it is held off (10)\n"
    "  --sign-in-window SECONDS   how long failed sign-ins count (600)\n"
    "  --usage-window SECONDS     how long after a sign-in the address may record usage and\n"
    "                             read observations (3600)\n"
    "  --open-reads               serve observations to any address and count them for none:\n"
    "                             a server of observation data only, without subscribers\n";

struct Options {
  std::string address = DEFAULT_ADDRESS;
  int port = DEFAULT_PORT;
  std::string accessLog;
  StoreConfig store;
  HttpLimits limits;
};

// A whole decimal number from `low` to `high`, nothing else in the text.
bool ParseNumber(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && errno != ERANGE && value >= low && value <= high;
}

bool IsIpv4(const char* text) {
  in_addr address;
  return inet_pton(AF_INET, text, &address) == 1;
}

bool ParseOption(const std::string& name, const char* value, Options& options) {
  long number = 0;
  auto count = [&](long low, long high, auto&& assign) {
    if (!ParseNumber(value, low, high, number)) return false;
    assign(number);
    return true;
  };
  if (name == "--address") return (options.address = value, true);
  if (name == "--port") return count(1, MAX_PORT, [&](long n) { options.port = static_cast<int>(n); });
  if (name == "--database") return (options.store.database = value, true);
  if (name == "--read-database") return (options.store.readDatabase = value, true);
  if (name == "--access-log") return (options.accessLog = value, true);
  if (name == "--trusted-proxy") return IsIpv4(value) && (options.limits.trustedProxies.push_back(value), true);
  if (name == "--max-connections") return count(1, LARGEST_COUNT, [&](long n) { options.limits.maxConnections = n; });
  if (name == "--max-connections-per-address") {
    return count(1, LARGEST_COUNT, [&](long n) { options.limits.maxConnectionsPerAddress = n; });
  }
  if (name == "--request-time") {
    return count(1, LONGEST_SECONDS, [&](long n) { options.limits.requestTime = std::chrono::seconds(n); });
  }
  if (name == "--sign-in-failures") {
    return count(1, LARGEST_COUNT, [&](long n) { options.store.rules.failureLimit = n; });
  }
  if (name == "--sign-in-window") {
    return count(1, LONGEST_SECONDS, [&](long n) { options.store.rules.failureWindow = std::chrono::seconds(n); });
  }
  if (name == "--usage-window") {
    return count(1, LONGEST_SECONDS, [&](long n) { options.store.rules.usageWindow = std::chrono::seconds(n); });
  }
  return false;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; i += 2) {
    if (strcmp(argv[i], OPEN_READS) == 0) {
      options.store.openReads = true;
      --i;
    } else if (i + 1 == argc || !ParseOption(argv[i], argv[i + 1], options)) {
      return false;
    }
  }
  return !options.store.database.empty();
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
  if (argc == 2 && strcmp(argv[1], "--help") == 0) {
    fputs(USAGE, stdout);
    return 0;
  }
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
  AccessLog log;
  if (!options.accessLog.empty() && !log.Open(options.accessLog, error)) {
    fprintf(stderr, "norda_server: %s\n", error.c_str());
    return 1;
  }
  options.store.workers = WorkerCount();
  Store store;
  if (!store.Open(options.store, error)) {
    fprintf(stderr, "norda_server: %s\n", error.c_str());
    return 1;
  }
  DbCommitService service(store);
  HttpFront front(service, log, options.limits);
  if (!front.Start(options.address, options.port, options.store.workers, error)) {
    fprintf(stderr, "norda_server: %s\n", error.c_str());
    return 1;
  }
  fprintf(stderr, "norda_server: serving %s on %s:%d\n", Describe(options.store.database).c_str(),
          options.address.c_str(), options.port);
  WaitForStopSignal();
  front.Stop();
  return 0;
}
