#include "tests/https/tls_front_win.h"

#include <algorithm>
#include <sstream>

#include "common/server_link.h"
#include "common/server_statements.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/test_files.h"

namespace tls_front {

namespace {

constexpr char DEMO_CLIENT[] = "10001";

}  // namespace

std::string Server() { return test_support::EnvironmentValue("TARVEX_SERVER_ADDRESS"); }

std::vector<std::string> LogLines(const std::string& log) {
  std::string path = test_support::WindowsPath(test_support::EnvironmentValue("TARVEX_TLS_LOGS")) + "\\" + log + ".log";
  std::istringstream text(test_support::ReadBytes(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> NewLogLines(const std::string& log, size_t before, size_t count) {
  std::vector<std::string> lines;
  test_support::WaitUntil([&] {
    lines = LogLines(log);
    return lines.size() >= before + count;
  });
  return std::vector<std::string>(lines.begin() + std::min(before, lines.size()), lines.end());
}

long LedgerTotal() {
  ServerLink link(LAUNCHER_ROW_TERMINATOR);
  link.server = Server();
  std::string reply;
  int rows = 0;
  if (!link.Execute(MonthlyUsageStatement(DEMO_CLIENT, ""), reply, rows) || rows != 1) return -1;
  return std::stol(reply);
}

}  // namespace tls_front
