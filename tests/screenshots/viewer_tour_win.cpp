// The viewer's part of the review tour: a validation message, the form under
// each of the six period types, and two HTML reports for the browser
// pictures: the daily one of the two chosen stations and a monthly one of
// five years whose charts show bars, points and lines.
#include <string>
#include <vector>

#include "resources/viewer/resource.h"
#include "tests/screenshots/review_tour_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/open_recorder_win.h"
#include "tests/support/test_files.h"
#include "tests/viewer/form/viewer_form_win.h"

namespace review {

namespace {

using namespace test_support;

constexpr int START_WAIT_MS = 60000;
constexpr int REPORT_WAIT_MS = 60000;
constexpr const char* FORM_CAPTION = "Tarvex";
constexpr const char* NO_STATION_MESSAGE = "観測地点を１件以上選択してください。";
const StationPick WAKKANAI{"北海道", "宗谷", "11001"};
const StationPick SAPPORO{"北海道", "石狩", "14001"};
constexpr const char* REPORT_YEAR = "2001";
constexpr int REPORT_LAST_DAY_ROW = 9;  // 2001/01/01 to 2001/01/10
constexpr const char* REPORT_FILE = "temp.html";
constexpr const char* OPEN_LOG_NAME = "/opened.log";
constexpr const char* DAILY_REPORT_COPY = "/report-daily.html";
constexpr const char* CHART_REPORT_COPY = "/report-charts.html";

constexpr int MONTHLY_TYPE_ROW = 4;  // 月別値
constexpr int FIRST_YEAR_ROW = 0;    // 1999
constexpr int LAST_YEAR_ROW = 4;     // 2003
constexpr int JANUARY_ROW = 0;
constexpr int DECEMBER_ROW = 11;

// Monthly, 1999/01 to 2003/12, from the far north to the far south.
const ReportRequest CHART_REPORT{{WAKKANAI, SAPPORO, {"関東甲信", "東京", "44001"}, {"沖縄", "沖縄", "91001"}},
                                 0,
                                 MONTHLY_TYPE_ROW,
                                 {{IDC_FROM_YEAR, FIRST_YEAR_ROW},
                                  {IDC_FROM_MONTHLY_MONTH, JANUARY_ROW},
                                  {IDC_TO_YEAR, LAST_YEAR_ROW},
                                  {IDC_TO_MONTHLY_MONTH, DECEMBER_ROW}},
                                 {IDC_PRECIPITATION, IDC_PREVAILING_WIND, IDC_MEAN_TEMP}};

// One period type as the form shows it: the row of the type combo, the
// picture's name, a control only this type shows and one the type before it
// showed, so the picture waits until the form has switched.
struct PeriodView {
  int row;
  const char* picture;
  int shownId;
  int hiddenId;
};

constexpr PeriodView PERIOD_VIEWS[] = {
    {0, "viewer-daily", IDC_FROM_DAILY_DAY, IDC_FROM_MONTHLY_MONTH},
    {1, "viewer-pentad-of-year", IDC_FROM_PENTAD, IDC_FROM_DAILY_DAY},
    {2, "viewer-pentad-of-month", IDC_FROM_CAL_PENTAD, IDC_FROM_PENTAD},
    {3, "viewer-ten-day", IDC_FROM_TENDAY, IDC_FROM_CAL_PENTAD},
    {4, "viewer-monthly", IDC_FROM_MONTHLY_MONTH, IDC_FROM_TENDAY},
    {5, "viewer-yearly", IDC_FROM_YEAR, IDC_FROM_MONTHLY_MONTH},
};

constexpr int REPORT_ELEMENTS[] = {IDC_PRECIPITATION, IDC_MEAN_TEMP, IDC_MAX_TEMP};

bool ShootNoStationMessage(const ReviewFolders& folders, const GuiProgram& viewer, WindowHandle form) {
  FocusControl(form, IDC_CHOSEN_LIST);
  PressEnter(form);
  WindowHandle box = viewer.WaitForModalBox();
  if (box == nullptr) return Fail("Enter with no station chosen showed no message");
  if (MessageBoxText(box) != NO_STATION_MESSAGE) return Fail("Enter with no station chosen showed another message");
  if (!Shoot(folders, "viewer-validation-message", form, box)) return false;
  PressButton(box, IDOK_BUTTON);
  if (!viewer.WaitForNoModalBox()) return Fail("the validation message did not close on OK");
  return true;
}

bool ChooseTwoStations(WindowHandle form) {
  if (!ChooseStation(form, WAKKANAI) || !ChooseStation(form, SAPPORO)) {
    return Fail("the sample data's first two stations could not be chosen");
  }
  return true;
}

bool ShowPeriodType(WindowHandle form, const PeriodView& view) {
  SelectComboRow(form, IDC_PERIOD_TYPE, view.row);
  if (!WaitUntil([&] { return IsVisible(form, view.shownId) && !IsVisible(form, view.hiddenId); })) {
    return Fail(std::string("the form did not switch to the period type of ") + view.picture);
  }
  return true;
}

bool ShootPeriodTypes(const ReviewFolders& folders, WindowHandle form) {
  for (const PeriodView& view : PERIOD_VIEWS) {
    if (!ShowPeriodType(form, view) || !Shoot(folders, view.picture, form)) return false;
  }
  return true;
}

bool SelectRowWithText(WindowHandle form, int id, const std::string& text) {
  int row = RowStartingWith(ComboTexts(form, id), text);
  if (row < 0) return Fail("a period combo lacks the row " + text);
  SelectComboRow(form, id, row);
  return true;
}

// Waits until the shell has been asked to open the `count`-th report and
// keeps a copy of it as <reports><copyName>.
bool KeepReport(const ReviewFolders& folders, const GuiProgram& viewer, WindowHandle form, size_t count,
                const char* copyName) {
  const std::string log = folders.reports + OPEN_LOG_NAME;
  std::vector<OpenRecord> opened;
  WaitUntil([&] { return (opened = ReadOpenRecords(log)).size() >= count || viewer.WaitForModalBox(0) != nullptr; },
            REPORT_WAIT_MS);
  if (WindowHandle box = viewer.WaitForModalBox(0)) {
    Shoot(folders, "viewer-report-failure", form, box);
    PressButton(box, IDOK_BUTTON);
    return Fail("a report showed a message instead of opening (see viewer-report-failure.bmp)");
  }
  if (opened.size() < count || opened[count - 1].arguments.find(REPORT_FILE) == std::string::npos) {
    return Fail("a report was not handed to the shell");
  }
  const std::string page = ReadBytes(folders.reports + "/" + REPORT_FILE);
  if (page.empty() || !WriteBytes(folders.reports + copyName, page)) return Fail("could not keep a copy of a report");
  return true;
}

// Ten days of January 2001 for the chosen stations, written by the Enter key.
bool WriteDailyReport(const ReviewFolders& folders, const GuiProgram& viewer, WindowHandle form) {
  if (!ShowPeriodType(form, PERIOD_VIEWS[0])) return false;
  if (!SelectRowWithText(form, IDC_FROM_YEAR, REPORT_YEAR) || !SelectRowWithText(form, IDC_TO_YEAR, REPORT_YEAR)) {
    return false;
  }
  SelectComboRow(form, IDC_FROM_DAILY_MONTH, 0);
  SelectComboRow(form, IDC_FROM_DAILY_DAY, 0);
  SelectComboRow(form, IDC_TO_DAILY_MONTH, 0);
  SelectComboRow(form, IDC_TO_DAILY_DAY, REPORT_LAST_DAY_ROW);
  for (int element : REPORT_ELEMENTS) SetCheck(form, element, true);
  FocusControl(form, IDC_CHOSEN_LIST);
  PressEnter(form);
  return KeepReport(folders, viewer, form, 1, DAILY_REPORT_COPY);
}

bool WriteChartReport(const ReviewFolders& folders, const GuiProgram& viewer, WindowHandle form) {
  if (!FillReportForm(form, CHART_REPORT)) return Fail("the form did not take the monthly report");
  PostCommand(form, IDC_DISPLAY);
  return KeepReport(folders, viewer, form, 2, CHART_REPORT_COPY);
}

}  // namespace

bool TourViewer(const ReviewFolders& folders) {
  GuiProgram viewer;
  if (!viewer.Start(folders.install + "/tarvex.exe", folders.install)) return Fail("tarvex.exe did not start");
  WindowHandle form = viewer.WaitForWindow(FORM_CAPTION, START_WAIT_MS);
  if (form == nullptr) return Fail("the viewer form did not open");
  if (!ShootNoStationMessage(folders, viewer, form) || !ChooseTwoStations(form) ||
      !ShootPeriodTypes(folders, form) || !WriteDailyReport(folders, viewer, form) ||
      !WriteChartReport(folders, viewer, form)) {
    return false;
  }
  ClickButton(form, IDC_QUIT);
  if (!viewer.WaitForExit()) return Fail("the viewer did not end on its exit button");
  return true;
}

}  // namespace review
