// The whole system as a subscriber meets it, with the real programs and the
// real server: store the account in the launcher's user settings, start the
// viewer from the launcher's 気象データ button, choose stations in two
// prefectures, write a daily HTML report and a monthly CSV report, then ask
// the launcher for this month's usage. check_reports.py then compares the
// files, the usage ledger and the launcher's message with the database.
//
// Environment (set by run_user_road.sh): TARVEX_INSTALL_DIR, the install
// folder; TARVEX_REPORTS_DIR, the TEMP folder of the programs;
// TARVEX_USAGE_MESSAGE, where the launcher's usage message is written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/gui_driver_win.h"
#include "tests/support/open_recorder_win.h"
#include "tests/support/test_files.h"

using namespace test_support;

namespace {

constexpr int START_WAIT_MS = 60000;
constexpr int REPORT_WAIT_MS = 60000;

// Launcher (main menu and user settings).
constexpr const char* MENU_CAPTION = "Tarvex インターネット版";
constexpr int MENU_WEATHER_DATA = 5;
constexpr int MENU_USER_SETTINGS = 6;
constexpr int MENU_MONTHLY_USAGE = 7;
constexpr int MENU_EXIT = 2;
constexpr int SETTINGS_USER_ID = 1004;
constexpr int SETTINGS_PASSWORD = 1005;

// Viewer (query form).
constexpr const char* FORM_CAPTION = "Tarvex";
constexpr int FORM_EXIT = 2;
constexpr int FORM_SPREADSHEET = 3;
constexpr int PREFECTURE_COMBO = 1001;
constexpr int STATION_LIST = 1002;
constexpr int CHOOSE_SELECTED = 1003;
constexpr int CHOSEN_LIST = 1004;
constexpr int PERIOD_TYPE_COMBO = 1006;
constexpr int FROM_YEAR = 1007, TO_YEAR = 1013;
constexpr int DAILY_FROM_MONTH = 1008, DAILY_FROM_DAY = 1010;
constexpr int DAILY_TO_MONTH = 1022, DAILY_TO_DAY = 1026;
constexpr int MONTHLY_FROM_MONTH = 1023, MONTHLY_TO_MONTH = 1037;
constexpr int PRECIPITATION = 1039, MEAN_TEMP = 1046, MAX_TEMP = 1047;
constexpr int MONTHLY_TYPE_ROW = 4;   // 月別値 in M_KISYU.dat
constexpr int YEAR_2001_ROW = 2;      // 1999, 2000, 2001, ...
constexpr int ISHIKARI_ROW = 3;       // 宗谷, 上川, 留萌, 石狩 in block 01

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

int RowOf(const std::vector<std::string>& rows, const std::string& text) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i] == text) return static_cast<int>(i);
  }
  return -1;
}

// Chooses the station shown as `row` in the station list with 選択 >.
void ChooseStation(WindowHandle form, const std::string& row) {
  ASSERT_TRUE(WaitUntil([&] { return RowOf(ListTexts(form, STATION_LIST), row) >= 0; }))
      << "station list lacks " << row;
  size_t chosenBefore = ListTexts(form, CHOSEN_LIST).size();
  SetListSelection(form, STATION_LIST, RowOf(ListTexts(form, STATION_LIST), row), true);
  ClickButton(form, CHOOSE_SELECTED);
  ASSERT_TRUE(WaitUntil([&] { return ListTexts(form, CHOSEN_LIST).size() == chosenBefore + 1; }));
}

// Fails the test with the text of any message box the viewer shows.
void ExpectNoMessage(const GuiProgram& viewer) {
  WindowHandle box = viewer.WaitForModalBox(500);
  if (box != nullptr) {
    ADD_FAILURE() << "the viewer said: " << MessageBoxText(box);
    PressButton(box, IDOK_BUTTON);
  }
}

void StoreAccount(const GuiProgram& launcher, WindowHandle menu) {
  ClickButton(menu, MENU_USER_SETTINGS);
  WindowHandle settings = launcher.WaitForModalBox();
  ASSERT_NE(nullptr, settings);
  SetControlText(settings, SETTINGS_USER_ID, "demo");
  SetControlText(settings, SETTINGS_PASSWORD, "tarvex");
  ClickButton(settings, IDOK_BUTTON);
  ASSERT_TRUE(launcher.WaitForNoModalBox());
}

void RunReports(GuiProgram& viewer, const std::string& openedLog) {
  WindowHandle form = viewer.WaitForWindow(FORM_CAPTION, START_WAIT_MS);
  ASSERT_NE(nullptr, form);

  ChooseStation(form, "11001 稚内");
  SelectComboRow(form, PREFECTURE_COMBO, ISHIKARI_ROW);
  ChooseStation(form, "14001 札幌");
  EXPECT_EQ((std::vector<std::string>{"11001 稚内", "14001 札幌"}), ListTexts(form, CHOSEN_LIST));

  // Daily, 2001/01/01 to 2001/01/10, HTML by the Enter key.
  SelectComboRow(form, FROM_YEAR, YEAR_2001_ROW);
  SelectComboRow(form, DAILY_FROM_MONTH, 0);
  SelectComboRow(form, DAILY_FROM_DAY, 0);
  SelectComboRow(form, TO_YEAR, YEAR_2001_ROW);
  SelectComboRow(form, DAILY_TO_MONTH, 0);
  SelectComboRow(form, DAILY_TO_DAY, 9);
  SetCheck(form, PRECIPITATION, true);
  SetCheck(form, MEAN_TEMP, true);
  SetCheck(form, MAX_TEMP, true);
  FocusControl(form, CHOSEN_LIST);
  PressEnter(form);
  std::vector<OpenRecord> opened = WaitForOpenRecords(openedLog, 1, REPORT_WAIT_MS);
  ASSERT_EQ(1u, opened.size());
  EXPECT_NE(std::string::npos, opened[0].arguments.find("temp.html")) << opened[0].arguments;
  ExpectNoMessage(viewer);

  // Monthly, 2001/01 to 2001/06, CSV by 表計算.
  SelectComboRow(form, PERIOD_TYPE_COMBO, MONTHLY_TYPE_ROW);
  SelectComboRow(form, MONTHLY_FROM_MONTH, 0);
  SelectComboRow(form, MONTHLY_TO_MONTH, 5);
  SetCheck(form, MEAN_TEMP, false);
  ClickButton(form, FORM_SPREADSHEET);
  opened = WaitForOpenRecords(openedLog, 2, REPORT_WAIT_MS);
  ASSERT_EQ(2u, opened.size());
  EXPECT_NE(std::string::npos, opened[1].arguments.find("temp.csv")) << opened[1].arguments;
  ExpectNoMessage(viewer);

  ClickButton(form, FORM_EXIT);
  EXPECT_TRUE(viewer.WaitForExit());
}

TEST(UserRoad, AccountViewerReportsAndMonthlyUsage) {
  const std::string install = Env("TARVEX_INSTALL_DIR");
  const std::string reports = Env("TARVEX_REPORTS_DIR");
  const std::string messagePath = Env("TARVEX_USAGE_MESSAGE");
  ASSERT_FALSE(install.empty() || reports.empty() || messagePath.empty());

  ASSERT_TRUE(RegisterOpenRecorder());
  const std::string openedLog = reports + "/opened.log";
  UseOpenRecorderLog(openedLog);
  // The programs started from here inherit TEMP: the reports land in `reports`.
  ASSERT_EQ(0, _putenv_s("TEMP", WindowsPath(reports).c_str()));

  GuiProgram launcher;
  ASSERT_TRUE(launcher.Start(install + "/marlop.exe", install));
  WindowHandle menu = launcher.WaitForWindow(MENU_CAPTION, START_WAIT_MS);
  ASSERT_NE(nullptr, menu);
  StoreAccount(launcher, menu);

  ClickButton(menu, MENU_WEATHER_DATA);
  GuiProgram viewer;
  ASSERT_TRUE(viewer.AttachToWindow(FORM_CAPTION, START_WAIT_MS)) << "the viewer did not start";
  RunReports(viewer, openedLog);

  PostCommand(menu, MENU_MONTHLY_USAGE);
  WindowHandle box = launcher.WaitForModalBox(START_WAIT_MS);
  ASSERT_NE(nullptr, box);
  EXPECT_TRUE(WriteBytes(messagePath, MessageBoxText(box)));
  PressButton(box, IDOK_BUTTON);
  ASSERT_TRUE(launcher.WaitForNoModalBox());
  ClickButton(menu, MENU_EXIT);
  EXPECT_TRUE(launcher.WaitForExit());
}

}  // namespace
