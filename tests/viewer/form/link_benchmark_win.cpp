// The largest road of the sample through a modelled link: the real
// tarvex.exe asks for every station of the sample, daily 1999/01/01 to
// 2003/12/31, 降水量 and 平均気温 (94 stations × 2 elements), and the time
// from the display command to its usage row in the server's ledger is
// printed, for the HTML report and for the CSV file. tools/bench/bench_link.sh
// runs it behind tools/bench/link_relay.py; not a test.
//
//   viewer_link_benchmark.exe LEDGER_SERVER PROGRAM_SERVER SECURE CONNECTIONS RUNS [VIEWER]
//
// LEDGER_SERVER: the reference server's own address, asked in clear for the
// ledger; PROGRAM_SERVER: what the viewer's settings name as ServerIP and
// DataServer (the relay); SECURE: 0 or 1; CONNECTIONS: the settings' value;
// RUNS: roads timed per output; VIEWER: a tarvex.exe to time instead of the
// build's (one built from an earlier commit, to compare).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/server_link.h"
#include "common/server_statements.h"
#include "resources/viewer/resource.h"
#include "tests/viewer/form/viewer_session_win.h"

namespace {

using namespace test_support;
using Clock = std::chrono::steady_clock;

constexpr const char* DEMO_CLIENT = "10001";
constexpr int SAMPLE_STATIONS = 94;
constexpr int DAILY_ROW = 0;
constexpr int YEAR_1999 = 0;
constexpr int YEAR_2003 = 4;
constexpr int JANUARY = 0;
constexpr int DECEMBER = 11;
constexpr int FIRST_DAY = 0;
constexpr int DAY_31 = 30;
constexpr int ROAD_WAIT_MS = 300000;
constexpr int LEDGER_POLL_MS = 10;

// Observation rows delivered to the demo client so far; -1 when unreadable.
long LedgerTotal(const std::string& server) {
  ServerLink link(LAUNCHER_ROW_TERMINATOR);
  link.server = server;
  std::string reply;
  int rows = 0;
  try {
    if (!link.Execute(MonthlyUsageStatement(DEMO_CLIENT, ""), reply, rows) || rows != 1) return -1;
  } catch (...) {
    return -1;
  }
  return std::atol(reply.c_str());
}

// Seconds from pressing `button` to the ledger's new row; negative when the
// road did not get there (a box came instead, or the wait ran out).
double TimeRoad(ViewerSession& viewer, const std::string& ledgerServer, int button) {
  long before = LedgerTotal(ledgerServer);
  size_t opened = viewer.Opened().size();
  Clock::time_point start = Clock::now();
  if (button == IDC_SPREADSHEET) {
    ClickButton(viewer.form, IDC_SPREADSHEET);
  } else {
    PostCommand(viewer.form, IDC_DISPLAY);
  }
  bool recorded = WaitUntil(
      [&] {
        if (viewer.program.WaitForModalBox(0) != nullptr) return true;
        // The ledger is asked only once the report is opened, the usage
        // record's turn: asking the server all along would take the
        // machine's time from the road being timed.
        return viewer.Opened().size() > opened && LedgerTotal(ledgerServer) > before;
      },
      ROAD_WAIT_MS);
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ShownMessage box = viewer.NextMessage(0);
  if (!recorded || !box.text.empty()) {
    std::fprintf(stderr, "the road ended without its usage row: %s\n", box.text.c_str());
    return -1;
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6 && argc != 7) {
    std::fprintf(stderr, "usage: %s LEDGER_SERVER PROGRAM_SERVER SECURE CONNECTIONS RUNS [VIEWER]\n", argv[0]);
    return 2;
  }
  std::string ledgerServer = argv[1];
  std::string programServer = argv[2];
  bool secure = std::string(argv[3]) == "1";
  int runs = std::atoi(argv[5]);

  ViewerSession viewer("link-benchmark", programServer);
  if (argc == 7) {
    std::filesystem::copy_file(WindowsPath(argv[6]), viewer.folder + "\\tarvex.exe",
                               std::filesystem::copy_options::overwrite_existing);
  }
  viewer.WriteFile("qorvanet.ini", "[system]\r\nServerIP=" + programServer + "\r\nDataServer=" + programServer +
                                       "\r\nSecure=" + (secure ? "1" : "0") + "\r\nConnections=" + argv[4] +
                                       // Timed from the click: the size question is not asked.
                                       "\r\nConfirmRows=0\r\n");
  ReportRequest largest{{},
                        SAMPLE_STATIONS,
                        DAILY_ROW,
                        {{IDC_FROM_YEAR, YEAR_1999},
                         {IDC_FROM_DAILY_MONTH, JANUARY},
                         {IDC_FROM_DAILY_DAY, FIRST_DAY},
                         {IDC_TO_YEAR, YEAR_2003},
                         {IDC_TO_DAILY_MONTH, DECEMBER},
                         {IDC_TO_DAILY_DAY, DAY_31}},
                        {IDC_PRECIPITATION, IDC_MEAN_TEMP}};
  if (!viewer.Start() || !FillReportForm(viewer.form, largest)) {
    std::fprintf(stderr, "the viewer did not start or take the request\n");
    return 1;
  }
  int status = 0;
  for (auto [name, button] : {std::pair<const char*, int>{"HTML", IDC_DISPLAY}, {"CSV", IDC_SPREADSHEET}}) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
      double seconds = TimeRoad(viewer, ledgerServer, button);
      if (seconds < 0) status = 1;
      times.push_back(seconds);
    }
    std::printf("%s", name);
    for (double seconds : times) std::printf(" %.2f", seconds);
    std::printf(" s, best %.2f s\n", *std::min_element(times.begin(), times.end()));
    std::fflush(stdout);
  }
  return status;
}
