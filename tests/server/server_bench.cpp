// Throughput of the reference server over loopback: requests per second for
// the sign-in statement (one client, then several), and rows per second for
// a five-year daily query of one station, the largest single reply the
// viewer asks for. Prints figures; it is not a test.
//
// Usage: server_bench [SECONDS]   (default 3 seconds per measurement)
// Starts its own norda_server on TEST_ADDRESS_SERVER_BENCH, port 80, with a
// copy of the sample database of the build folder it lies in (or TARVEX_BUILD_DIR).
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/server/http_client.h"
#include "tests/server/server_process.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

constexpr const char* ADDRESS = TEST_ADDRESS_SERVER_BENCH;
constexpr int PORT = 80;
constexpr const char* SCRIPT = "/norda/dbcommit.php";
constexpr int PARALLEL_CLIENTS = 4;
constexpr const char* SIGN_IN =
    "sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';COMMIT;";
// The viewer's daily statement for station 44001 from 1999/01/01 to 2003/12/31.
constexpr const char* FIVE_YEARS_DAILY =
    "sql=BEGIN;SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 1999 AND (d3 = 01 AND (d7 >= 01 AND "
    "d7 <= 31)) UNION SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 1999 AND d3 > 01 UNION SELECT * "
    "FROM st_data_h WHERE sChiten = 44001 AND d2 > 1999 AND d2 < 2003 UNION SELECT * FROM st_data_h WHERE "
    "sChiten = 44001 AND d2 = 2003 AND d3 < 12 UNION SELECT * FROM st_data_h WHERE sChiten = 44001 AND "
    "d2 = 2003 AND (d3 = 12 AND (d7 >= 1 AND d7 <= 31));COMMIT;";

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Data rows of a reply: every line but "OK" and ";".
long RowsOf(const std::string& body) {
  long lines = 0;
  for (char c : body) lines += c == '\n';
  return lines - 2;
}

// Posts `body` from `clients` threads until `seconds` have passed; returns
// the number of successful exchanges and adds their rows to `rows`.
long Hammer(const char* body, int clients, double seconds, long& rows) {
  std::atomic<long> exchanges{0}, rowTotal{0}, failures{0};
  auto start = Clock::now();
  std::vector<std::thread> threads;
  for (int i = 0; i < clients; ++i) {
    threads.emplace_back([&] {
      while (Seconds(start) < seconds) {
        HttpReply reply;
        if (PostRaw(ADDRESS, PORT, SCRIPT, body, reply) && reply.status == 200 && reply.body.rfind("OK\n", 0) == 0) {
          ++exchanges;
          rowTotal += RowsOf(reply.body);
        } else {
          ++failures;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  if (failures > 0) fprintf(stderr, "%ld exchanges failed\n", failures.load());
  rows += rowTotal;
  return exchanges;
}

void Report(const char* what, const char* body, int clients, double seconds) {
  long rows = 0;
  auto start = Clock::now();
  long exchanges = Hammer(body, clients, seconds, rows);
  double elapsed = Seconds(start);
  printf("%-34s %2d client(s): %8.0f requests/s  %10.0f rows/s  (%ld requests, %ld rows, %.2f ms each)\n", what,
         clients, exchanges / elapsed, rows / elapsed, exchanges, rows, exchanges ? 1000.0 * elapsed * clients / exchanges : 0.0);
}

void LocateBuildFolder() {
  if (getenv("TARVEX_BUILD_DIR")) return;
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) setenv("TARVEX_BUILD_DIR", self.parent_path().parent_path().parent_path().c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = argc > 1 ? atof(argv[1]) : 3.0;
  LocateBuildFolder();
  ServerProcess server;
  if (!server.Start(ADDRESS, PORT, test_support::MakeScratchFolder("server-bench"))) {
    fprintf(stderr, "server_bench: cannot start norda_server from %s on %s:%d\n", NativeBuildFolder().c_str(),
            ADDRESS, PORT);
    return 1;
  }
  // The benchmark reads as a subscriber does: signed in, every reply counted.
  HttpReply check;
  if (!PostRaw(ADDRESS, PORT, SCRIPT, SIGN_IN, check) ||
      !PostRaw(ADDRESS, PORT, SCRIPT, FIVE_YEARS_DAILY, check) || RowsOf(check.body) != 1826) {
    fprintf(stderr, "server_bench: the five-year query did not return 1826 rows\n");
    return 1;
  }
  printf("reference server on %s:%d, %.1f s per measurement, one connection per request\n", ADDRESS, PORT, seconds);
  Report("sign-in statement", SIGN_IN, 1, seconds);
  Report("sign-in statement", SIGN_IN, PARALLEL_CLIENTS, seconds);
  Report("five-year daily query, one station", FIVE_YEARS_DAILY, 1, seconds);
  Report("five-year daily query, one station", FIVE_YEARS_DAILY, PARALLEL_CLIENTS, seconds);
  return 0;
}
