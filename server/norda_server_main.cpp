// norda_server: the reference data server. `norda_server --help` lists the
// options. Serves POST /norda/dbcommit.php until SIGTERM or SIGINT.
#include <signal.h>
#include <sys/resource.h>
#include <systemd/sd-daemon.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "server/config/server_options.h"
#include "server/http/access_log.h"
#include "server/http/http_front.h"
#include "server/http/metrics_listener.h"
#include "server/metrics/server_metrics.h"
#include "server/protocol/db_commit.h"
#include "server/store/store.h"

namespace {

// Worker threads per processor: requests mostly compute on SQLite, or wait
// for PostgreSQL; two a core keep the cores busy in both cases.
constexpr unsigned WORKERS_PER_CORE = 2;
constexpr unsigned MIN_WORKERS = 4;
// Descriptors kept free of client connections: standard streams, the
// listener, the event loop's own, the access log, and per worker its
// database connections with their files (a SQLite database, its log and
// shared memory; a reading and a writing connection).
constexpr rlim_t BASE_DESCRIPTORS = 16;
constexpr rlim_t DESCRIPTORS_PER_WORKER = 6;
// Fewer client connections than this and the server could not serve.
constexpr rlim_t MIN_CONNECTIONS = 16;

constexpr const char* USAGE =
    "usage: norda_server [--config FILE] [OPTION...] --database DATABASE\n"
    "  --config FILE              read the options from FILE, one \"name = value\" a line\n"
    "                             (names without \"--\"); the command line overrides it\n"
    "  --database DATABASE        a SQLite file, or a PostgreSQL connection string\n"
    "                             (postgresql://... or key=value ...)\n"
    "  --read-database DATABASE   where observation rows are read, e.g. a streaming replica\n"
    "  --address ADDR             IPv4 address to listen on (127.0.0.1)\n"
    "  --port PORT                port to listen on (80)\n"
    "  --access-log FILE          append the access log to FILE (standard error)\n"
    "  --trusted-proxy ADDR       a proxy (IPv4 or IPv6) whose X-Real-IP or X-Forwarded-For\n"
    "                             names the client\n"
    "                             (may be given several times; none)\n"
    "  --max-connections N        open connections in all (1024; lowered to fit the\n"
    "                             limit of open files)\n"
    "  --max-connections-per-address N\n"
    "                             open connections or requests of one client address (32)\n"
    "  --request-time SECONDS     time for a whole request to arrive, at any pace (10)\n"
    "  --sign-in-failures N       failed sign-ins from one address before it is held off (10)\n"
    "  --sign-in-window SECONDS   how long failed sign-ins count (600)\n"
    "  --usage-window SECONDS     how long after a sign-in the address may record usage and\n"
    "                             read observations (3600)\n"
    "  --open-reads               serve observations to any address and count them for none:\n"
    "                             a server of observation data only, without subscribers\n"
    "  --metrics-address HOST:PORT\n"
    "                             serve /metrics and /healthz there (off)\n";

// Raises the soft limit of open descriptors to the hard one and makes the
// connection cap fit below it, with room for the server's own files: a
// server that ran out of descriptors could take no connection, however
// few clients are served. False with `error` set when not even a small
// number of connections fits.
bool FitDescriptors(unsigned workers, HttpLimits& limits, std::string& error) {
  rlimit descriptors{};
  if (getrlimit(RLIMIT_NOFILE, &descriptors) != 0) {
    error = "cannot read the limit of open files";
    return false;
  }
  if (descriptors.rlim_cur < descriptors.rlim_max) {
    descriptors.rlim_cur = descriptors.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &descriptors) != 0) getrlimit(RLIMIT_NOFILE, &descriptors);
  }
  rlim_t reserved = BASE_DESCRIPTORS + DESCRIPTORS_PER_WORKER * workers;
  if (descriptors.rlim_cur < reserved + MIN_CONNECTIONS) {
    error = "the limit of open files (" + std::to_string(descriptors.rlim_cur) + ") leaves room for fewer than " +
            std::to_string(MIN_CONNECTIONS) + " connections; raise it (LimitNOFILE=, ulimit -n) to at least " +
            std::to_string(reserved + MIN_CONNECTIONS);
    return false;
  }
  rlim_t room = descriptors.rlim_cur - reserved;
  if (limits.maxConnections > room) {
    fprintf(stderr,
            "norda_server: the limit of open files (%llu) leaves room for %llu connections: "
            "--max-connections lowered from %zu\n",
            static_cast<unsigned long long>(descriptors.rlim_cur), static_cast<unsigned long long>(room),
            limits.maxConnections);
    limits.maxConnections = room;
  }
  return true;
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
  ServerOptions options;
  std::string error;
  if (!LoadServerOptions(argc, argv, options, error)) {
    fprintf(stderr, "norda_server: %s\n%s", error.c_str(), USAGE);
    return 2;
  }
  // Block the stop signals before any thread starts, so only sigwait sees them.
  sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  AccessLog log;
  if (!options.accessLog.empty() && !log.Open(options.accessLog, error)) {
    fprintf(stderr, "norda_server: %s\n", error.c_str());
    return 1;
  }
  options.store.workers = WorkerCount();
  if (!FitDescriptors(options.store.workers, options.limits, error)) {
    fprintf(stderr, "norda_server: %s\n", error.c_str());
    return 1;
  }
  Store store;
  if (!store.Open(options.store, error)) {
    fprintf(stderr, "norda_server: %s\n", error.c_str());
    return 1;
  }
  DbCommitService service(store);
  ServerMetrics metrics;
  log.CountInto(metrics);
  HttpFront front(service, log, options.limits, metrics);
  if (!front.Start(options.address, options.port, options.store.workers, error)) {
    fprintf(stderr, "norda_server: %s\n", error.c_str());
    return 1;
  }
  MetricsListener operatorPort([&] { return metrics.Text(store.Pools()); },
                               [&] {
                                 std::string failure;
                                 return store.Answers(failure);
                               });
  if (!options.metricsAddress.empty() && !operatorPort.Start(options.metricsAddress, options.metricsPort, error)) {
    fprintf(stderr, "norda_server: %s\n", error.c_str());
    return 1;
  }
  fprintf(stderr, "norda_server: serving %s on %s:%d\n", Describe(options.store.database).c_str(),
          options.address.c_str(), options.port);
  sd_notify(0, "READY=1");
  WaitForStopSignal();
  sd_notify(0, "STOPPING=1");
  front.Stop();
  operatorPort.Stop();
  return 0;
}
