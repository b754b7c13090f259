// The whole system as a subscriber meets it, with the real programs and the
// real server: store the account in the launcher's user settings, start the
// viewer from the launcher's 気象データ button, choose stations in two
// prefectures, write a daily HTML report and a monthly CSV report, then ask
// the launcher for this month's usage. check_reports.py then compares the
// files, the usage ledger and the launcher's message with the database.
//
// Environment (set by run_with_install.sh): TARVEX_INSTALL_DIR, the install
// folder; TARVEX_REPORTS_DIR, the TEMP folder of the programs, where the
// launcher's usage message is written as usage-message.txt too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "launcher/launcher_ids.h"
#include "resources/viewer/resource.h"
#include "tests/e2e/road_steps_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/open_recorder_win.h"
#include "tests/support/test_files.h"

using namespace test_support;

namespace {

constexpr int START_WAIT_MS = 60000;
constexpr int REPORT_WAIT_MS = 60000;

constexpr const char* MENU_CAPTION = "Tarvex インターネット版";
constexpr int MENU_EXIT = 2;  // the launcher's 終了
constexpr const char* FORM_CAPTION = "Tarvex";
constexpr int MONTHLY_TYPE_ROW = 4;   // 月別値 in M_KISYU.dat
constexpr int YEAR_2001_ROW = 2;      // 1999, 2000, 2001, ...
constexpr int ISHIKARI_ROW = 3;       // 宗谷, 上川, 留萌, 石狩 in block 01

int RowOf(const std::vector<std::string>& rows, const std::string& text) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i] == text) return static_cast<int>(i);
  }
  return -1;
}

// Chooses the station shown as `row` in the station list with 選択 >.
void ChooseStation(WindowHandle form, const std::string& row) {
  ASSERT_TRUE(WaitUntil([&] { return RowOf(ListTexts(form, IDC_STATION_LIST), row) >= 0; }))
      << "station list lacks " << row;
  size_t chosenBefore = ListTexts(form, IDC_CHOSEN_LIST).size();
  SetListSelection(form, IDC_STATION_LIST, RowOf(ListTexts(form, IDC_STATION_LIST), row), true);
  ClickButton(form, IDC_CHOOSE);
  ASSERT_TRUE(WaitUntil([&] { return ListTexts(form, IDC_CHOSEN_LIST).size() == chosenBefore + 1; }));
}

// Fails the test with the text of any message box the viewer shows.
void ExpectNoMessage(const GuiProgram& viewer) {
  WindowHandle box = viewer.WaitForModalBox(500);
  if (box != nullptr) {
    ADD_FAILURE() << "the viewer said: " << MessageBoxText(box);
    PressButton(box, IDOK_BUTTON);
  }
}

void RunReports(GuiProgram& viewer, const std::string& openedLog) {
  WindowHandle form = viewer.WaitForWindow(FORM_CAPTION, START_WAIT_MS);
  ASSERT_NE(nullptr, form);

  ChooseStation(form, "11001 稚内");
  SelectComboRow(form, IDC_PREFECTURE, ISHIKARI_ROW);
  ChooseStation(form, "14001 札幌");
  EXPECT_EQ((std::vector<std::string>{"11001 稚内", "14001 札幌"}), ListTexts(form, IDC_CHOSEN_LIST));

  // Daily, 2001/01/01 to 2001/01/10, HTML by the Enter key.
  SelectComboRow(form, IDC_FROM_YEAR, YEAR_2001_ROW);
  SelectComboRow(form, IDC_FROM_DAILY_MONTH, 0);
  SelectComboRow(form, IDC_FROM_DAILY_DAY, 0);
  SelectComboRow(form, IDC_TO_YEAR, YEAR_2001_ROW);
  SelectComboRow(form, IDC_TO_DAILY_MONTH, 0);
  SelectComboRow(form, IDC_TO_DAILY_DAY, 9);
  SetCheck(form, IDC_PRECIPITATION, true);
  SetCheck(form, IDC_MEAN_TEMP, true);
  SetCheck(form, IDC_MAX_TEMP, true);
  FocusControl(form, IDC_CHOSEN_LIST);
  PressEnter(form);
  std::vector<OpenRecord> opened = WaitForOpenRecords(openedLog, 1, REPORT_WAIT_MS);
  ASSERT_EQ(1u, opened.size());
  EXPECT_NE(std::string::npos, opened[0].arguments.find("temp.html")) << opened[0].arguments;
  ExpectNoMessage(viewer);

  // Monthly, 2001/01 to 2001/06, CSV by 表計算.
  SelectComboRow(form, IDC_PERIOD_TYPE, MONTHLY_TYPE_ROW);
  SelectComboRow(form, IDC_FROM_MONTHLY_MONTH, 0);
  SelectComboRow(form, IDC_TO_MONTHLY_MONTH, 5);
  SetCheck(form, IDC_MEAN_TEMP, false);
  ClickButton(form, IDC_SPREADSHEET);
  opened = WaitForOpenRecords(openedLog, 2, REPORT_WAIT_MS);
  ASSERT_EQ(2u, opened.size());
  EXPECT_NE(std::string::npos, opened[1].arguments.find("temp.csv")) << opened[1].arguments;
  ExpectNoMessage(viewer);

  ClickButton(form, IDC_QUIT);
  EXPECT_TRUE(viewer.WaitForExit());
}

TEST(UserRoad, AccountViewerReportsAndMonthlyUsage) {
  const std::string install = EnvironmentValue("TARVEX_INSTALL_DIR");
  const std::string reports = EnvironmentValue("TARVEX_REPORTS_DIR");
  ASSERT_FALSE(install.empty() || reports.empty());
  const std::string messagePath = reports + "/usage-message.txt";

  ASSERT_TRUE(RegisterOpenRecorder());
  const std::string openedLog = reports + "/opened.log";
  UseOpenRecorderLog(openedLog);
  // The programs started from here inherit TEMP: the reports land in `reports`.
  ASSERT_EQ(0, _putenv_s("TEMP", WindowsPath(reports).c_str()));

  GuiProgram launcher;
  ASSERT_TRUE(launcher.Start(install + "/marlop.exe", install));
  WindowHandle menu = launcher.WaitForWindow(MENU_CAPTION, START_WAIT_MS);
  ASSERT_NE(nullptr, menu);
  e2e::StoreDemoAccount(launcher, menu);

  ClickButton(menu, IDC_WEATHER_DATA);
  GuiProgram viewer;
  ASSERT_TRUE(viewer.AttachToWindow(FORM_CAPTION, START_WAIT_MS)) << "the viewer did not start";
  RunReports(viewer, openedLog);

  PostCommand(menu, IDC_MONTHLY_USAGE);
  WindowHandle box = launcher.WaitForModalBox(START_WAIT_MS);
  ASSERT_NE(nullptr, box);
  EXPECT_TRUE(WriteBytes(messagePath, MessageBoxText(box)));
  PressButton(box, IDOK_BUTTON);
  ASSERT_TRUE(launcher.WaitForNoModalBox());
  ClickButton(menu, MENU_EXIT);
  EXPECT_TRUE(launcher.WaitForExit());
}

}  // namespace
