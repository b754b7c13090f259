// The real-data road: Seattle's daily observations, loaded into the
// server's database with norda_admin by import_seattle.sh before the install
// folder's master files were written from it, reported by the real
// tarvex.exe against the reference server. The viewer reaches the station
// through the installed pick lists (block 北米, prefecture ワシントン州) and
// writes a monthly report of 2012/01 to 2013/12 with every element the file
// gives and some it lacks, kept as monthly.html; check_real_data.py then
// compares every cell with what it computes from the file itself.
//
// Environment (set by run_with_install.sh): TARVEX_INSTALL_DIR, the laid-out
// install folder; TARVEX_REPORTS_DIR, where the report is kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/viewer/resource.h"
#include "tests/support/test_files.h"
#include "tests/viewer/form/viewer_session_win.h"

namespace {

using namespace test_support;

constexpr const char* DATA_SERVER = "127.0.0.1";
constexpr int REPORT_WAIT_MS = 60000;
constexpr int MONTHLY_ROW = 4;
constexpr int JANUARY = 0;
constexpr int DECEMBER = 11;
const StationPick SEATTLE{"北米", "ワシントン州", "99501"};

// In report order; the file has no hourly precipitation, sunshine or mean
// temperature.
const std::vector<int> ELEMENTS = {IDC_PRECIPITATION, IDC_MAX_HOURLY_PRECIP, IDC_MAX_DAILY_PRECIP,
                                   IDC_MEAN_WIND_SPEED, IDC_SUNSHINE,         IDC_MEAN_TEMP,
                                   IDC_MAX_TEMP,        IDC_MIN_TEMP,          IDC_MEAN_MAX_TEMP,
                                   IDC_MEAN_MIN_TEMP};

TEST(RealData, MonthlyReportOfSeattle) {
  std::string install = EnvironmentValue("TARVEX_INSTALL_DIR");
  std::string reports = EnvironmentValue("TARVEX_REPORTS_DIR");
  ASSERT_FALSE(install.empty() || reports.empty());
  ViewerSession viewer("real-data", DATA_SERVER);
  viewer.UseMasterFiles(install);
  ASSERT_TRUE(viewer.Start());

  // The installed year list runs from the sample's first year to Seattle's last.
  std::vector<std::string> years = ComboTexts(viewer.form, IDC_FROM_YEAR);
  int from = RowStartingWith(years, "2012");
  int to = RowStartingWith(years, "2013");
  ASSERT_TRUE(from >= 0 && to >= 0) << "the installed year list lacks 2012 or 2013";
  ASSERT_TRUE(FillReportForm(viewer.form, {{SEATTLE},
                                           0,
                                           MONTHLY_ROW,
                                           {{IDC_FROM_YEAR, from}, {IDC_FROM_MONTHLY_MONTH, JANUARY},
                                            {IDC_TO_YEAR, to}, {IDC_TO_MONTHLY_MONTH, DECEMBER}},
                                           ELEMENTS}));
  DisplayedReport shown = viewer.Display(REPORT_WAIT_MS);
  ASSERT_TRUE(shown.opened) << "the viewer said: " << shown.message;
  ASSERT_TRUE(WriteBytes(WindowsPath(reports) + "\\monthly.html", shown.page));
}

}  // namespace
