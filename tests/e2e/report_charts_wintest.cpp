// Reports for the chart checks, written by the real tarvex.exe with the
// installed page template against the reference server: a daily report of
// several stations and elements, a monthly one, a yearly one with the
// direction of the maximum wind, a daily one with missing values, and the
// largest report the form allows (255 columns, 1,826 days). Each is kept as
// <name>.html; check_charts.py then opens them in headless Chromium.
//
// Environment (set by run_with_install.sh): TARVEX_INSTALL_DIR, the laid-out
// install folder; TARVEX_REPORTS_DIR, where the reports are kept.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "resources/viewer/resource.h"
#include "tests/support/test_files.h"
#include "tests/viewer/form/viewer_session_win.h"

namespace {

using namespace test_support;

constexpr const char* DATA_SERVER = "127.0.0.1";
constexpr int REPORT_WAIT_MS = 180000;  // the largest report: 93,126 rows fetched, 37 MB written

// Rows of the form's combos in the sample installation.
constexpr int DAILY_ROW = 0;
constexpr int MONTHLY_ROW = 4;
constexpr int YEARLY_ROW = 5;
constexpr int YEAR_1999 = 0;
constexpr int YEAR_2001 = 2;
constexpr int YEAR_2003 = 4;
constexpr int JANUARY = 0;
constexpr int MARCH = 2;
constexpr int JULY = 6;
constexpr int DECEMBER = 11;
constexpr int FIRST_DAY = 0;
constexpr int DAY_31 = 30;
constexpr int LARGEST_STATIONS = 51;  // 5 columns each: 255

const StationPick WAKKANAI{"北海道", "宗谷", "11001"};
const StationPick HAMATONBETSU{"北海道", "宗谷", "11011"};  // a rain gauge: precipitation only
const StationPick ASAHIKAWA{"北海道", "上川", "12001"};
const StationPick SAPPORO{"北海道", "石狩", "14001"};
const StationPick TOKYO{"関東甲信", "東京", "44001"};
const StationPick NAGANO{"関東甲信", "長野", "48001"};  // its sunshine recorder was out in July 2001
const StationPick NAHA{"沖縄", "沖縄", "91001"};

class ReportCharts : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    install = EnvironmentValue("TARVEX_INSTALL_DIR");
    reports = EnvironmentValue("TARVEX_REPORTS_DIR");
    ASSERT_FALSE(install.empty() || reports.empty());
    viewer = std::make_unique<ViewerSession>("charts", DATA_SERVER);
    // The installed template, as the install folder holds it.
    viewer->WriteFile("output.html", ReadBytes(install + "/output.html"));
    ASSERT_TRUE(viewer->Start());
  }

  static void TearDownTestSuite() { viewer.reset(); }

  // Asks for the report, waits until the shell is asked to open it and keeps
  // a copy as <name>.html.
  void WriteReport(const std::string& name, const ReportRequest& request) {
    ASSERT_TRUE(FillReportForm(viewer->form, request));
    DisplayedReport shown = viewer->Display(REPORT_WAIT_MS);
    ASSERT_TRUE(shown.opened) << "the viewer said: " << shown.message;
    EXPECT_NE(std::string::npos, shown.page.find("PeriodChart")) << "the report does not carry its charts' script";
    ASSERT_TRUE(WriteBytes(WindowsPath(reports) + "\\" + name + ".html", shown.page));
  }

  static std::string install;
  static std::string reports;
  static std::unique_ptr<ViewerSession> viewer;
};

std::string ReportCharts::install;
std::string ReportCharts::reports;
std::unique_ptr<ViewerSession> ReportCharts::viewer;

TEST_F(ReportCharts, DailySeveralStationsAndElements) {
  WriteReport("daily", {{WAKKANAI, ASAHIKAWA, SAPPORO},
                        0,
                        DAILY_ROW,
                        {{IDC_FROM_YEAR, YEAR_2001}, {IDC_FROM_DAILY_MONTH, JANUARY}, {IDC_FROM_DAILY_DAY, FIRST_DAY},
                         {IDC_TO_YEAR, YEAR_2001}, {IDC_TO_DAILY_MONTH, MARCH}, {IDC_TO_DAILY_DAY, DAY_31}},
                        {IDC_PRECIPITATION, IDC_SUNSHINE, IDC_MEAN_TEMP, IDC_MAX_TEMP}});
}

TEST_F(ReportCharts, MonthlyFiveYears) {
  WriteReport("monthly", {{WAKKANAI, TOKYO},
                          0,
                          MONTHLY_ROW,
                          {{IDC_FROM_YEAR, YEAR_1999}, {IDC_FROM_MONTHLY_MONTH, JANUARY},
                           {IDC_TO_YEAR, YEAR_2003}, {IDC_TO_MONTHLY_MONTH, DECEMBER}},
                          {IDC_PRECIPITATION, IDC_MEAN_WIND_SPEED, IDC_PREVAILING_WIND, IDC_MAX_TEMP}});
}

TEST_F(ReportCharts, YearlyWithWindDirection) {
  WriteReport("yearly", {{WAKKANAI, TOKYO, NAHA},
                         0,
                         YEARLY_ROW,
                         {{IDC_FROM_YEAR, YEAR_1999}, {IDC_TO_YEAR, YEAR_2003}},
                         {IDC_MAX_WIND_SPEED, IDC_MEAN_TEMP}});
}

TEST_F(ReportCharts, DailyWithMissingValues) {
  WriteReport("missing", {{WAKKANAI, HAMATONBETSU, NAGANO},
                          0,
                          DAILY_ROW,
                          {{IDC_FROM_YEAR, YEAR_2001}, {IDC_FROM_DAILY_MONTH, JULY}, {IDC_FROM_DAILY_DAY, FIRST_DAY},
                           {IDC_TO_YEAR, YEAR_2001}, {IDC_TO_DAILY_MONTH, JULY}, {IDC_TO_DAILY_DAY, DAY_31}},
                          {IDC_PRECIPITATION, IDC_SUNSHINE, IDC_MEAN_TEMP}});
}

TEST_F(ReportCharts, LargestReport) {
  WriteReport("largest", {{},
                          LARGEST_STATIONS,
                          DAILY_ROW,
                          {{IDC_FROM_YEAR, YEAR_1999}, {IDC_FROM_DAILY_MONTH, JANUARY}, {IDC_FROM_DAILY_DAY, FIRST_DAY},
                           {IDC_TO_YEAR, YEAR_2003}, {IDC_TO_DAILY_MONTH, DECEMBER}, {IDC_TO_DAILY_DAY, DAY_31}},
                          {IDC_PRECIPITATION, IDC_MAX_WIND_SPEED, IDC_PREVAILING_WIND, IDC_MEAN_TEMP}});
}

}  // namespace
