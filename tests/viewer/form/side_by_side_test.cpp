// The stations side by side with the real tarvex.exe, through
// station_front.py before the reference server: the report and the ledger
// row are those of one station after the other for every period type, also
// around a failing station; Connections=1 keeps the wire order of one after
// the other; 中止 on the progress window ends a slow sign-in or retrieval at
// once and leaves the form ready; a server that accepts and never answers ends the
// road with the communication message once the timeout has run.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/server_link.h"
#include "common/server_statements.h"
#include "platform/internet.h"
#include "resources/viewer/resource.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"
#include "tests/viewer/form/viewer_session_win.h"

namespace {

using namespace test_support;
using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

constexpr const char* FRONT = TEST_ADDRESS_VIEWER_SIDE_BY_SIDE_FRONT;
constexpr const char* SILENT = TEST_ADDRESS_VIEWER_SIDE_BY_SIDE_SILENT;
constexpr const char* DEMO_CLIENT = "10001";
constexpr const char* COMMUNICATION_ERROR = "通信中にエラーが発生しました。";
constexpr int STATIONS = 8;
constexpr int SIDE_BY_SIDE = 6;
constexpr int ROAD_WAIT_MS = 60000;
constexpr int YEAR_2000 = 1;
constexpr int DAILY_ROW = 0;
// The exchanges' timeouts with a margin for a busy machine.
constexpr int TIMED_OUT_WAIT_MS = static_cast<int>(CONNECT_TIMEOUT_MS + TRANSFER_TIMEOUT_MS) + 20000;
// Held back this long, a station's reply is still under way when the test cancels.
constexpr const char* SLOW_STATIONS = "delay 15\n";
// A cancelled road shows nothing and records nothing within this time.
constexpr int AFTER_CANCEL_MS = 3000;
// The form is back this soon after 中止, the held replies still 15 s away.
constexpr double FORM_BACK_SECONDS = 1.0;

std::string Environment(const char* name) { return EnvironmentValue(name); }

// Observation rows delivered to the demo client so far, by the server's own
// ledger (asked directly); -1 when unreadable.
long LedgerTotal() {
  ServerLink link(LAUNCHER_ROW_TERMINATOR);
  link.server = Environment("TARVEX_SERVER_ADDRESS");
  std::string reply;
  int rows = 0;
  if (!link.Execute(MonthlyUsageStatement(DEMO_CLIENT, ""), reply, rows) || rows != 1) return -1;
  return std::atol(reply.c_str());
}

// The front's log: its events in the order they happened.
Lines FrontLog() {
  Lines lines;
  std::string text = ReadBytes(WindowsPath(Environment("TARVEX_FRONT_LOG")));
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

void ClearFrontLog() { WriteBytes(WindowsPath(Environment("TARVEX_FRONT_LOG")), ""); }
void ScriptFront(const std::string& script) { WriteBytes(WindowsPath(Environment("TARVEX_FRONT_SCRIPT")), script); }

std::string Settings(const std::string& serverIp, const std::string& dataServer, int connections) {
  return "[system]\r\nServerIP=" + serverIp + "\r\nDataServer=" + dataServer +
         "\r\nConnections=" + std::to_string(connections) + "\r\n";
}

// A road as the ledger and the report saw it.
struct Road {
  DisplayedReport report;
  long ledgerRows = -1;
};

class SideBySide : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Environment("TARVEX_FRONT_LOG").empty()) << "run inside station_front.py";
    ScriptFront("");
    viewer = std::make_unique<ViewerSession>("side-by-side", FRONT);
    ASSERT_TRUE(viewer->Start());
  }

  // The form filled with the first STATIONS stations, the period type's
  // first period of 1999 to the same period of 2000, 降水量 and 平均気温.
  void Fill(int periodTypeRow) {
    ReportRequest request{{}, STATIONS, periodTypeRow, {{IDC_TO_YEAR, YEAR_2000}}, {IDC_PRECIPITATION, IDC_MEAN_TEMP}};
    ASSERT_TRUE(FillReportForm(viewer->form, request));
  }

  // The chosen stations' numbers, in list order.
  Lines ChosenNumbers() {
    Lines numbers;
    for (const std::string& row : ListTexts(viewer->form, IDC_CHOSEN_LIST)) numbers.push_back(row.substr(0, 5));
    return numbers;
  }

  Road Display(int connections) {
    viewer->WriteFile("qorvanet.ini", Settings(FRONT, FRONT, connections));
    long before = LedgerTotal();
    Road road;
    road.report = viewer->Display(ROAD_WAIT_MS);
    if (road.report.opened) {
      WaitUntil([&] { return LedgerTotal() > before; });
      road.ledgerRows = LedgerTotal() - before;
    }
    return road;
  }

  std::unique_ptr<ViewerSession> viewer;
};

TEST_F(SideBySide, EveryPeriodTypeGivesTheReportAndLedgerRowOfOneStationAfterTheOther) {
  const struct {
    const char* name;
    int row;
  } types[] = {{"daily", 0}, {"year-round pentads", 1}, {"calendar pentads", 2},
               {"ten-day parts", 3}, {"monthly", 4}, {"yearly", 5}};
  for (const auto& type : types) {
    SCOPED_TRACE(type.name);
    Fill(type.row);
    Road oneByOne = Display(1);
    ASSERT_TRUE(oneByOne.report.opened) << oneByOne.report.message;
    Road sideBySide = Display(SIDE_BY_SIDE);
    ASSERT_TRUE(sideBySide.report.opened) << sideBySide.report.message;
    EXPECT_GT(oneByOne.ledgerRows, 0);
    EXPECT_EQ(sideBySide.ledgerRows, oneByOne.ledgerRows);
    EXPECT_TRUE(sideBySide.report.page == oneByOne.report.page) << "the report's bytes differ";
  }
}

// The failing station's box comes once, owned by no window, and the report
// holds every other station's rows exactly as one after the other gives.
TEST_F(SideBySide, AFailingStationInTheMiddleIsToldOnceAndTheOthersRowsStay) {
  Fill(DAILY_ROW);
  Lines stations = ChosenNumbers();
  ASSERT_EQ(stations.size(), static_cast<size_t>(STATIONS));
  ScriptFront("fail " + stations[STATIONS / 2] + "\n");
  std::string pages[2];
  int slot = 0;
  for (int connections : {1, SIDE_BY_SIDE}) {
    SCOPED_TRACE(connections);
    viewer->WriteFile("qorvanet.ini", Settings(FRONT, FRONT, connections));
    size_t opened = viewer->Opened().size();
    PostCommand(viewer->form, IDC_DISPLAY);
    WindowHandle box = viewer->program.WaitForDialogBeside(viewer->form, ROAD_WAIT_MS);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(COMMUNICATION_ERROR, MessageBoxText(box));
    PressButton(box, IDOK_BUTTON);
    ASSERT_TRUE(WaitUntil([&] { return viewer->Opened().size() > opened; }, ROAD_WAIT_MS));
    EXPECT_TRUE(viewer->NoMessageWithin(1000));
    pages[slot++] = viewer->TempFile("temp.html");
  }
  EXPECT_FALSE(pages[0].empty());
  EXPECT_TRUE(pages[0] == pages[1]) << "the report's bytes differ";
}

TEST_F(SideBySide, OneConnectionKeepsTheWireOrderOfOneStationAfterTheOther) {
  Fill(DAILY_ROW);
  Lines stations = ChosenNumbers();
  ClearFrontLog();
  Road road = Display(1);
  ASSERT_TRUE(road.report.opened) << road.report.message;
  Lines expected{"begin sign-in", "end sign-in"};
  for (const std::string& station : stations) {
    expected.push_back("begin station " + station);
    expected.push_back("end station " + station);
  }
  expected.push_back("begin usage");
  expected.push_back("end usage");
  EXPECT_EQ(FrontLog(), expected);
}

// Side by side the stations overlap, never more than the key allows, after
// the sign-in and before the usage record.
TEST_F(SideBySide, SeveralConnectionsOverlapTheStationsBetweenSignInAndUsageRecord) {
  Fill(DAILY_ROW);
  ScriptFront("delay 0.3\n");
  ClearFrontLog();
  const int connections = 3;
  Road road = Display(connections);
  ASSERT_TRUE(road.report.opened) << road.report.message;
  Lines log = FrontLog();
  ASSERT_EQ(log.size(), 2u * (STATIONS + 2));
  EXPECT_EQ(log.front(), "begin sign-in");
  EXPECT_EQ(log[1], "end sign-in");
  EXPECT_EQ(log[log.size() - 2], "begin usage");
  EXPECT_EQ(log.back(), "end usage");
  int underWay = 0;
  int most = 0;
  for (const std::string& line : log) {
    underWay += line.rfind("begin station", 0) == 0 ? 1 : line.rfind("end station", 0) == 0 ? -1 : 0;
    most = std::max(most, underWay);
  }
  EXPECT_EQ(most, connections);
}

// 中止 during a sign-in that does not answer, and during stations whose
// replies are held back.
TEST_F(SideBySide, CancelEndsASlowRoadAtOnceAndTheNextRoadWorks) {
  Fill(DAILY_ROW);
  const struct {
    const char* where;
    const char* serverIp;
    const char* script;
  } cases[] = {{"sign-in", SILENT, ""}, {"stations", FRONT, SLOW_STATIONS}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    ScriptFront(c.script);
    viewer->WriteFile("qorvanet.ini", Settings(c.serverIp, FRONT, SIDE_BY_SIDE));
    long ledger = LedgerTotal();
    size_t opened = viewer->Opened().size();
    PostCommand(viewer->form, IDC_DISPLAY);
    WindowHandle progress = viewer->program.WaitForProgressWindow(ROAD_WAIT_MS);
    ASSERT_NE(nullptr, progress);
    EXPECT_EQ(ControlText(progress, IDC_PROGRESS_TEXT), "データを取得しています（0／8 地点）");
    EXPECT_FALSE(AcceptsInput(viewer->form)) << "the form waits under the progress window";
    Clock::time_point pressed = Clock::now();
    PressButton(progress, IDCANCEL_BUTTON);
    ASSERT_TRUE(WaitUntil([&] { return AcceptsInput(viewer->form); }, AFTER_CANCEL_MS));
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - pressed).count(), FORM_BACK_SECONDS)
        << "the form takes input again long before the held replies come";
    EXPECT_TRUE(WaitForWindowGone(progress, AFTER_CANCEL_MS));
    EXPECT_TRUE(viewer->NoMessageWithin(AFTER_CANCEL_MS));
    EXPECT_EQ(viewer->Opened().size(), opened);
    EXPECT_EQ(LedgerTotal(), ledger);

    ScriptFront("");
    Road next = Display(SIDE_BY_SIDE);
    ASSERT_TRUE(next.report.opened) << next.report.message;
    EXPECT_GT(next.ledgerRows, 0);
  }
}

// A server that takes the connection and never answers, at the sign-in or
// at the stations: one communication message after the timeout, no report.
TEST_F(SideBySide, AServerThatNeverAnswersEndsTheRoadWithTheCommunicationMessage) {
  Fill(DAILY_ROW);
  const struct {
    const char* where;
    const char* serverIp;
    const char* dataServer;
  } cases[] = {{"sign-in", SILENT, FRONT}, {"stations", FRONT, SILENT}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    viewer->WriteFile("qorvanet.ini", Settings(c.serverIp, c.dataServer, SIDE_BY_SIDE));
    Clock::time_point start = Clock::now();
    PostCommand(viewer->form, IDC_DISPLAY);
    ShownMessage shown = viewer->NextMessage(TIMED_OUT_WAIT_MS);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(shown.text, COMMUNICATION_ERROR);
    EXPECT_GE(seconds, TRANSFER_TIMEOUT_MS / 1000.0 - 1);
    EXPECT_TRUE(viewer->NoMessageWithin(1000)) << "told once";
    EXPECT_TRUE(viewer->Opened().empty());
  }
}

}  // namespace
