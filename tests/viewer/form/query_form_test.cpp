// The real query form under Wine: start-up, the station picker, the period
// controls and the checks of the display command that come before any
// server exchange.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/wide_text.h"
#include "resources/viewer/resource.h"
#include "tests/support/test_files.h"
#include "tests/viewer/form/viewer_session_win.h"

namespace {

using namespace test_support;
using test_support::WriteBytes;
using Texts = std::vector<std::string>;

constexpr int BRIEF_WAIT_MS = 1500;

// Blocks, prefectures and stations of the picker tests.
constexpr const char* PICKER_BLOCKS = "01,北海道\r\n02,東北\r\n03,関東\r\n";
constexpr const char* PICKER_PREFECTURES = "11,宗谷支庁,01\r\n12,上川支庁,01\r\n31,青森県,02\r\n";
constexpr const char* PICKER_STATIONS =
    "11016,稚内,11\r\n11001,宗谷岬,11\r\n12021,富良野,12\r\n11151,浜頓別,11\r\n12011,旭川,12\r\n31312,青森,31\r\n";
// A year list that offers 2004 but whose last row is no year, so the period
// limits stay at 1999 to 2003 (a good list moves them to its own years).
constexpr const char* YEARS_TO_2004 = ",1999\r\n,2000\r\n,2001\r\n,2002\r\n,2003\r\n,2004\r\n,\r\n";

constexpr const char* NO_STATION = "観測地点を１件以上選択してください。";
constexpr const char* PERIOD_ORDER = "期間のFROM、TOに矛盾があります。";
constexpr const char* PERIOD_RANGE = "1999/01/01～2003/12/31に該当する期間を指定してください。";
constexpr const char* NO_ELEMENT = "要素は、１つ以上選択してください。";
constexpr const char* TOO_MANY_COLUMNS = "観測地点および要素の選択が多すぎます。絞り込んでください。";
constexpr const char* SETTINGS_UNREADABLE = "設定ファイルが読み込めませんでした";
constexpr const char* APPLICATION_ERROR = "アプリケーションエラーが発生しました。";

// Period-type rows of the sample M_KISYU.dat.
constexpr int DAILY_ROW = 0;
constexpr int MONTHLY_ROW = 4;
constexpr int YEARLY_ROW = 5;

constexpr int ELEMENT_IDS[] = {IDC_PRECIPITATION, IDC_MAX_HOURLY_PRECIP, IDC_MAX_DAILY_PRECIP, IDC_MEAN_WIND_SPEED,
                               IDC_MAX_WIND_SPEED, IDC_PREVAILING_WIND,  IDC_SUNSHINE,         IDC_MEAN_TEMP,
                               IDC_MAX_TEMP,       IDC_MIN_TEMP,         IDC_MEAN_MAX_TEMP,    IDC_MEAN_MIN_TEMP,
                               IDC_ACCUMULATED_TEMP};

// The per-type FROM and TO controls, as each period type shows them.
const std::set<int> DAILY_CONTROLS = {1008, 1009, 1010, 1011, 1022, 1025, 1026, 1027};
const std::set<int> YEAR_PENTAD_CONTROLS = {1012, 1014, 1028, 1029};
const std::set<int> MONTH_PENTAD_CONTROLS = {1015, 1016, 1017, 1018, 1030, 1031, 1032, 1033};
const std::set<int> TEN_DAY_CONTROLS = {1019, 1020, 1021, 1034, 1035, 1036};
const std::set<int> MONTHLY_CONTROLS = {1023, 1024, 1037, 1038};

std::set<int> AllPeriodControls() {
  std::set<int> all;
  for (const auto* set : {&DAILY_CONTROLS, &YEAR_PENTAD_CONTROLS, &MONTH_PENTAD_CONTROLS, &TEN_DAY_CONTROLS,
                          &MONTHLY_CONTROLS}) {
    all.insert(set->begin(), set->end());
  }
  return all;
}

std::set<int> VisiblePeriodControls(WindowHandle form) {
  std::set<int> visible;
  for (int id : AllPeriodControls()) {
    if (IsVisible(form, id)) visible.insert(id);
  }
  return visible;
}

Texts Numbers(int first, int last) {
  Texts texts;
  for (int n = first; n <= last; ++n) texts.push_back(std::to_string(n));
  return texts;
}

void Click(ViewerSession& viewer, int id) {
  ClickButton(viewer.form, id);
  Settle(viewer.form);
}

void Select(ViewerSession& viewer, int id, int row) {
  SelectComboRow(viewer.form, id, row);
  Settle(viewer.form);
}

void SelectRows(ViewerSession& viewer, int listId, std::initializer_list<int> rows) {
  for (int row : rows) SetListSelection(viewer.form, listId, row, true);
}

void DoubleClick(ViewerSession& viewer, int listId, int row) {
  SetListCaret(viewer.form, listId, row);
  DoubleClickList(viewer.form, listId);
  Settle(viewer.form);
}

class QueryForm : public ::testing::Test {
 protected:
  // Starts the viewer with the picker's own master files (the sample's
  // period types and years), signing in at an address where nothing listens.
  void StartWithPickerMasters(const std::string& name) {
    viewer = std::make_unique<ViewerSession>(name, DEAD_SERVER);
    viewer->WriteFile("M_BLOCK.dat", PICKER_BLOCKS);
    viewer->WriteFile("M_TOFUKEN.dat", PICKER_PREFECTURES);
    viewer->WriteFile("M_CHITEN.dat", PICKER_STATIONS);
    ASSERT_TRUE(viewer->Start());
  }

  // Chooses the first station of the first prefecture.
  void ChooseOneStation() {
    SelectRows(*viewer, IDC_STATION_LIST, {0});
    Click(*viewer, IDC_CHOOSE);
    ASSERT_EQ(1u, ListTexts(viewer->form, IDC_CHOSEN_LIST).size());
  }

  // Runs the HTML road with Enter and returns the first message it shows.
  std::string EnterMessage() {
    PostCommand(viewer->form, IDC_DISPLAY);
    return viewer->NextMessage().text;
  }

  std::unique_ptr<ViewerSession> viewer;
};

TEST_F(QueryForm, StartUpFillsTheListsFromTheMasterFilesAndTheTemplate) {
  StartWithPickerMasters("start-up");
  WindowHandle form = viewer->form;
  EXPECT_EQ((Texts{"北海道", "東北", "関東"}), ComboTexts(form, IDC_BLOCK));
  EXPECT_EQ(0, ComboSelection(form, IDC_BLOCK));
  EXPECT_EQ((Texts{"宗谷支庁", "上川支庁"}), ComboTexts(form, IDC_PREFECTURE));
  EXPECT_EQ(0, ComboSelection(form, IDC_PREFECTURE));
  EXPECT_EQ((Texts{"11001 宗谷岬", "11016 稚内", "11151 浜頓別"}), ListTexts(form, IDC_STATION_LIST));
  EXPECT_TRUE(ListTexts(form, IDC_CHOSEN_LIST).empty());
  EXPECT_EQ((Texts{"日別値", "通年半旬別値", "暦日半旬別値", "旬別値", "月別値", "年別値"}),
            ComboTexts(form, IDC_PERIOD_TYPE));
  EXPECT_EQ((Texts{"1999", "2000", "2001", "2002", "2003"}), ComboTexts(form, IDC_FROM_YEAR));
  EXPECT_EQ((Texts{"1999", "2000", "2001", "2002", "2003"}), ComboTexts(form, IDC_TO_YEAR));

  for (int id : {IDC_FROM_DAILY_MONTH, IDC_TO_DAILY_MONTH, IDC_FROM_CAL_MONTH, IDC_TO_CAL_MONTH,
                 IDC_FROM_TENDAY_MONTH, IDC_TO_TENDAY_MONTH, IDC_FROM_MONTHLY_MONTH, IDC_TO_MONTHLY_MONTH}) {
    EXPECT_EQ(Numbers(1, 12), ComboTexts(form, id)) << id;
  }
  EXPECT_EQ(Numbers(1, 31), ComboTexts(form, IDC_FROM_DAILY_DAY));
  EXPECT_EQ(Numbers(1, 31), ComboTexts(form, IDC_TO_DAILY_DAY));
  EXPECT_EQ(Numbers(1, 73), ComboTexts(form, IDC_FROM_PENTAD));
  EXPECT_EQ(Numbers(1, 73), ComboTexts(form, IDC_TO_PENTAD));
  EXPECT_EQ(Numbers(1, 6), ComboTexts(form, IDC_FROM_CAL_PENTAD));
  EXPECT_EQ(Numbers(1, 6), ComboTexts(form, IDC_TO_CAL_PENTAD));
  EXPECT_EQ((Texts{"上旬", "中旬", "下旬"}), ComboTexts(form, IDC_FROM_TENDAY));
  EXPECT_EQ((Texts{"上旬", "中旬", "下旬"}), ComboTexts(form, IDC_TO_TENDAY));
  for (int id : {IDC_FROM_YEAR, IDC_TO_YEAR, IDC_FROM_DAILY_DAY, IDC_TO_PENTAD, IDC_FROM_TENDAY, IDC_PERIOD_TYPE}) {
    EXPECT_EQ(0, ComboSelection(form, id)) << id;
  }

  EXPECT_EQ(DAILY_CONTROLS, VisiblePeriodControls(form));
  EXPECT_FALSE(IsVisible(form, IDC_DISPLAY));
  for (int id : ELEMENT_IDS) EXPECT_FALSE(IsChecked(form, id)) << id;
  // The focus starts on 終了; Enter on it, once the dialog manager has made
  // it the default button, closes the form.
  EXPECT_EQ(IDC_QUIT, FocusedControl(form));
  FocusControl(form, IDC_QUIT);
  PressEnter(form);
  EXPECT_TRUE(viewer->program.WaitForExit());
}

TEST_F(QueryForm, SystemMenuItemOpensTheAboutBox) {
  StartWithPickerMasters("about");
  PostSystemCommand(viewer->form, IDM_ABOUTBOX);
  EXPECT_EQ("Tarvex のﾊﾞｰｼﾞｮﾝ情報", viewer->NextMessage().caption);
  EXPECT_TRUE(viewer->program.WaitForNoModalBox());
  EXPECT_TRUE(viewer->program.IsRunning());
}

TEST_F(QueryForm, WithoutMasterFilesTheFormOpensEmptyAndKeepsWorking) {
  viewer = std::make_unique<ViewerSession>("no-masters", DEAD_SERVER);
  for (const char* file : {"M_BLOCK.dat", "M_TOFUKEN.dat", "M_CHITEN.dat", "M_KISYU.dat", "M_A_YEAR.dat"}) {
    viewer->RemoveFile(file);
  }
  ASSERT_TRUE(viewer->Start());
  WindowHandle form = viewer->form;
  for (int id : {IDC_BLOCK, IDC_PREFECTURE, IDC_PERIOD_TYPE, IDC_FROM_YEAR, IDC_TO_YEAR}) {
    EXPECT_TRUE(ComboTexts(form, id).empty()) << id;
  }
  EXPECT_TRUE(ListTexts(form, IDC_STATION_LIST).empty());
  // No period type: no per-type control shows and no element is withheld.
  EXPECT_TRUE(VisiblePeriodControls(form).empty());
  Click(*viewer, IDC_CHECK_ALL_ELEMENTS);
  for (int id : ELEMENT_IDS) EXPECT_TRUE(IsEnabled(form, id) && IsChecked(form, id)) << id;

  // Double-clicks and moves on empty lists do nothing.
  DoubleClickList(form, IDC_STATION_LIST);
  DoubleClickList(form, IDC_CHOSEN_LIST);
  Click(*viewer, IDC_CHOOSE_ALL);
  Click(*viewer, IDC_REMOVE);
  EXPECT_TRUE(viewer->NoMessageWithin(BRIEF_WAIT_MS));
  EXPECT_TRUE(ListTexts(form, IDC_CHOSEN_LIST).empty());
  EXPECT_EQ(NO_STATION, EnterMessage());
  EXPECT_TRUE(viewer->program.IsRunning());
}

TEST_F(QueryForm, StationPickerMovesKeepBothListsInCodeOrderWithNothingSelected) {
  StartWithPickerMasters("picker");
  WindowHandle form = viewer->form;

  SelectRows(*viewer, IDC_STATION_LIST, {0, 2});
  Click(*viewer, IDC_CHOOSE);
  EXPECT_EQ((Texts{"11001 宗谷岬", "11151 浜頓別"}), ListTexts(form, IDC_CHOSEN_LIST));
  EXPECT_EQ((Texts{"11016 稚内"}), ListTexts(form, IDC_STATION_LIST));
  EXPECT_TRUE(ListSelection(form, IDC_STATION_LIST).empty());
  EXPECT_TRUE(ListSelection(form, IDC_CHOSEN_LIST).empty());

  // Another prefecture: its stations, the chosen ones untouched.
  Select(*viewer, IDC_PREFECTURE, 1);
  EXPECT_EQ((Texts{"12011 旭川", "12021 富良野"}), ListTexts(form, IDC_STATION_LIST));
  DoubleClick(*viewer, IDC_STATION_LIST, 1);
  EXPECT_EQ((Texts{"11001 宗谷岬", "11151 浜頓別", "12021 富良野"}), ListTexts(form, IDC_CHOSEN_LIST));
  EXPECT_EQ((Texts{"12011 旭川"}), ListTexts(form, IDC_STATION_LIST));

  Select(*viewer, IDC_PREFECTURE, 0);
  EXPECT_EQ((Texts{"11016 稚内"}), ListTexts(form, IDC_STATION_LIST));

  // Removing a station of another prefecture puts it nowhere visible.
  SelectRows(*viewer, IDC_CHOSEN_LIST, {0, 2});
  Click(*viewer, IDC_REMOVE);
  EXPECT_EQ((Texts{"11151 浜頓別"}), ListTexts(form, IDC_CHOSEN_LIST));
  EXPECT_EQ((Texts{"11001 宗谷岬", "11016 稚内"}), ListTexts(form, IDC_STATION_LIST));
  EXPECT_TRUE(ListSelection(form, IDC_CHOSEN_LIST).empty());

  DoubleClick(*viewer, IDC_CHOSEN_LIST, 0);
  EXPECT_TRUE(ListTexts(form, IDC_CHOSEN_LIST).empty());
  EXPECT_EQ((Texts{"11001 宗谷岬", "11016 稚内", "11151 浜頓別"}), ListTexts(form, IDC_STATION_LIST));

  // Nothing selected: 選択 > and < 削除 change nothing.
  Click(*viewer, IDC_CHOOSE);
  Click(*viewer, IDC_REMOVE);
  EXPECT_TRUE(ListTexts(form, IDC_CHOSEN_LIST).empty());
  EXPECT_EQ(3u, ListTexts(form, IDC_STATION_LIST).size());

  Click(*viewer, IDC_CHOOSE_ALL);
  EXPECT_EQ((Texts{"11001 宗谷岬", "11016 稚内", "11151 浜頓別"}), ListTexts(form, IDC_CHOSEN_LIST));
  EXPECT_TRUE(ListTexts(form, IDC_STATION_LIST).empty());
  Click(*viewer, IDC_CHOOSE_ALL);
  EXPECT_EQ(3u, ListTexts(form, IDC_CHOSEN_LIST).size());

  Click(*viewer, IDC_REMOVE_ALL);
  EXPECT_TRUE(ListTexts(form, IDC_CHOSEN_LIST).empty());
  EXPECT_EQ((Texts{"11001 宗谷岬", "11016 稚内", "11151 浜頓別"}), ListTexts(form, IDC_STATION_LIST));

  // A block change refills the prefectures and lists the first one's stations.
  Select(*viewer, IDC_BLOCK, 1);
  EXPECT_EQ((Texts{"青森県"}), ComboTexts(form, IDC_PREFECTURE));
  EXPECT_EQ((Texts{"31312 青森"}), ListTexts(form, IDC_STATION_LIST));
  Select(*viewer, IDC_BLOCK, 2);
  EXPECT_TRUE(ComboTexts(form, IDC_PREFECTURE).empty());
  EXPECT_TRUE(ListTexts(form, IDC_STATION_LIST).empty());
}

TEST_F(QueryForm, PeriodTypeShowsItsControlsWithholdsElementsAndKeepsSelections) {
  StartWithPickerMasters("period-type");
  WindowHandle form = viewer->form;
  const std::set<int> dailyWithheld = {IDC_MAX_DAILY_PRECIP, IDC_MEAN_MAX_TEMP, IDC_MEAN_MIN_TEMP,
                                       IDC_ACCUMULATED_TEMP};

  Select(*viewer, IDC_FROM_DAILY_MONTH, 4);
  Select(*viewer, IDC_TO_DAILY_DAY, 9);
  Click(*viewer, IDC_CHECK_ALL_ELEMENTS);
  for (int id : ELEMENT_IDS) {
    bool withheld = dailyWithheld.count(id) != 0;
    EXPECT_EQ(!withheld, IsChecked(form, id)) << id;
    EXPECT_EQ(!withheld, IsEnabled(form, id)) << id;
  }

  const std::set<int>* shown[] = {&DAILY_CONTROLS,   &YEAR_PENTAD_CONTROLS, &MONTH_PENTAD_CONTROLS,
                                  &TEN_DAY_CONTROLS, &MONTHLY_CONTROLS};
  for (int row = 0; row < 5; ++row) {
    Select(*viewer, IDC_PERIOD_TYPE, row);
    EXPECT_EQ(*shown[row], VisiblePeriodControls(form)) << row;
    EXPECT_TRUE(IsVisible(form, IDC_FROM_YEAR) && IsVisible(form, IDC_TO_YEAR));
  }
  // Leaving daily enables the withheld elements again, still unchecked.
  for (int id : dailyWithheld) EXPECT_TRUE(IsEnabled(form, id) && !IsChecked(form, id)) << id;

  Select(*viewer, IDC_PERIOD_TYPE, YEARLY_ROW);
  EXPECT_TRUE(VisiblePeriodControls(form).empty());
  EXPECT_FALSE(IsChecked(form, IDC_PREVAILING_WIND));
  EXPECT_FALSE(IsEnabled(form, IDC_PREVAILING_WIND));
  Click(*viewer, IDC_CHECK_ALL_ELEMENTS);
  for (int id : ELEMENT_IDS) EXPECT_EQ(id != IDC_PREVAILING_WIND, IsChecked(form, id)) << id;

  Select(*viewer, IDC_PERIOD_TYPE, MONTHLY_ROW);
  EXPECT_TRUE(IsEnabled(form, IDC_PREVAILING_WIND));
  EXPECT_FALSE(IsChecked(form, IDC_PREVAILING_WIND));

  Click(*viewer, IDC_CLEAR_ALL_ELEMENTS);
  for (int id : ELEMENT_IDS) EXPECT_TRUE(!IsChecked(form, id) && IsEnabled(form, id)) << id;

  Select(*viewer, IDC_PERIOD_TYPE, DAILY_ROW);
  EXPECT_EQ(DAILY_CONTROLS, VisiblePeriodControls(form));
  EXPECT_EQ(4, ComboSelection(form, IDC_FROM_DAILY_MONTH));
  EXPECT_EQ(9, ComboSelection(form, IDC_TO_DAILY_DAY));
}

TEST_F(QueryForm, ChecksComeInOrderStationsPeriodElementsWithTheirMessages) {
  StartWithPickerMasters("checks");
  viewer->WriteFile("M_A_YEAR.dat", YEARS_TO_2004);
  // The years are read at start-up: restart to see 2004.
  viewer->program.Terminate();
  viewer->program.WaitForExit();
  ASSERT_TRUE(viewer->Start());

  // Everything wrong: the station message comes first.
  Select(*viewer, IDC_FROM_YEAR, 2);
  ShownMessage first = (PostCommand(viewer->form, IDC_DISPLAY), viewer->NextMessage());
  EXPECT_EQ("Tarvex", first.caption);
  EXPECT_EQ(NO_STATION, first.text);

  ChooseOneStation();
  EXPECT_EQ(PERIOD_ORDER, EnterMessage());

  // Beyond the data's years.
  Select(*viewer, IDC_FROM_YEAR, 0);
  Select(*viewer, IDC_TO_YEAR, 5);
  EXPECT_EQ(PERIOD_RANGE, EnterMessage());
  Select(*viewer, IDC_PERIOD_TYPE, YEARLY_ROW);
  EXPECT_EQ(PERIOD_RANGE, EnterMessage());

  // A good period: the elements are checked next.
  Select(*viewer, IDC_TO_YEAR, 4);
  EXPECT_EQ(NO_ELEMENT, EnterMessage());

  // 2003/02/31 is read as 2003/02/28, the same day as TO: a good period.
  Select(*viewer, IDC_PERIOD_TYPE, DAILY_ROW);
  Select(*viewer, IDC_FROM_YEAR, 4);
  Select(*viewer, IDC_FROM_DAILY_MONTH, 1);
  Select(*viewer, IDC_FROM_DAILY_DAY, 30);
  Select(*viewer, IDC_TO_DAILY_MONTH, 1);
  Select(*viewer, IDC_TO_DAILY_DAY, 27);
  EXPECT_EQ(NO_ELEMENT, EnterMessage());
  Select(*viewer, IDC_TO_DAILY_DAY, 26);
  EXPECT_EQ(PERIOD_ORDER, EnterMessage());

  // Pentad 9 is written with two digits, so it sorts before pentad 10.
  Select(*viewer, IDC_PERIOD_TYPE, 1);
  Select(*viewer, IDC_FROM_PENTAD, 8);
  Select(*viewer, IDC_TO_PENTAD, 9);
  EXPECT_EQ(NO_ELEMENT, EnterMessage());
}

TEST_F(QueryForm, AReportOf255ColumnsPassesAndOneOf256IsRefusedBeforeAnyExchange) {
  // Sixteen stations in one prefecture; monthly data, where 最大風速 takes
  // three columns and 最高気温 two, and all thirteen elements nineteen.
  std::string stations;
  for (int n = 0; n < 16; ++n) stations += std::to_string(11100 + n) + ",地点" + std::to_string(n) + ",11\r\n";
  viewer = std::make_unique<ViewerSession>("columns", DEAD_SERVER);
  viewer->WriteFile("M_BLOCK.dat", PICKER_BLOCKS);
  viewer->WriteFile("M_TOFUKEN.dat", PICKER_PREFECTURES);
  viewer->WriteFile("M_CHITEN.dat", stations);
  ASSERT_TRUE(viewer->Start());
  Select(*viewer, IDC_PERIOD_TYPE, MONTHLY_ROW);
  ASSERT_TRUE(WaitUntil([&] { return ListTexts(viewer->form, IDC_STATION_LIST).size() == 16u; }));
  Click(*viewer, IDC_CHOOSE_ALL);
  ASSERT_EQ(16u, ListTexts(viewer->form, IDC_CHOSEN_LIST).size());
  Click(*viewer, IDC_CHECK_ALL_ELEMENTS);

  // 16 stations x 16 columns (all but 最大風速) = 256.
  SetCheck(viewer->form, IDC_MAX_WIND_SPEED, false);
  EXPECT_EQ(TOO_MANY_COLUMNS, EnterMessage());

  // 15 stations x 17 columns (all but 最高気温) = 255: on to the sign-in,
  // which finds no server.
  SetCheck(viewer->form, IDC_MAX_WIND_SPEED, true);
  SetCheck(viewer->form, IDC_MAX_TEMP, false);
  DoubleClick(*viewer, IDC_CHOSEN_LIST, 15);
  ASSERT_EQ(15u, ListTexts(viewer->form, IDC_CHOSEN_LIST).size());
  // Nothing listens there: the internet layer raises, which the guarded
  // sign-in reports.
  EXPECT_EQ(APPLICATION_ERROR, EnterMessage());
  EXPECT_TRUE(viewer->Opened().empty());
}

TEST_F(QueryForm, AMissingSettingsFileIsReportedAndTheCommandCarriesOn) {
  StartWithPickerMasters("no-settings");
  viewer->RemoveFile("qorvanet.ini");
  ChooseOneStation();
  Click(*viewer, IDC_CHECK_ALL_ELEMENTS);
  EXPECT_EQ(SETTINGS_UNREADABLE, EnterMessage());
  // No server named: the internet layer refuses to connect.
  EXPECT_EQ(APPLICATION_ERROR, viewer->NextMessage().text);
  EXPECT_TRUE(viewer->program.IsRunning());
}

TEST_F(QueryForm, CommentaryAndStationInformationAreOpenedByTheShell) {
  StartWithPickerMasters("documents");
  viewer->WriteFile("norda.html", "<html></html>\r\n");
  // Each open starts a recorder process of its own; waiting for the first
  // record before the second click keeps the records in the order of the
  // clicks.
  Click(*viewer, IDC_COMMENTARY);
  ASSERT_EQ(1u, WaitForOpenRecords(viewer->tempFolder + "\\opened.log", 1).size());
  Click(*viewer, IDC_STATION_INFO);
  std::vector<OpenRecord> opened = WaitForOpenRecords(viewer->tempFolder + "\\opened.log", 2);
  ASSERT_EQ(2u, opened.size());
  EXPECT_NE(std::string::npos, opened[0].arguments.find("norda.html")) << opened[0].arguments;
  EXPECT_NE(std::string::npos, opened[1].arguments.find("Chiten.csv")) << opened[1].arguments;

  // Missing documents: nothing opens and nothing is shown.
  viewer->RemoveFile("norda.html");
  viewer->RemoveFile("Chiten.csv");
  Click(*viewer, IDC_COMMENTARY);
  Click(*viewer, IDC_STATION_INFO);
  EXPECT_TRUE(viewer->NoMessageWithin(BRIEF_WAIT_MS));
  EXPECT_EQ(2u, viewer->Opened().size());
  EXPECT_TRUE(viewer->program.IsRunning());
}

TEST_F(QueryForm, StartedFromAnotherFolderItUsesTheFilesBesideItAndF1OpensTheCommentary) {
  viewer = std::make_unique<ViewerSession>("elsewhere", DEAD_SERVER);
  viewer->WriteFile("norda.html", "<html></html>\r\n");
  // The current folder holds a page template of its own and no master files.
  WriteBytes(viewer->tempFolder + "\\output.html", "wrong template\r\n");
  ASSERT_TRUE(viewer->Start(viewer->tempFolder));
  EXPECT_FALSE(ComboTexts(viewer->form, IDC_BLOCK).empty());
  EXPECT_FALSE(ListTexts(viewer->form, IDC_STATION_LIST).empty());
  EXPECT_EQ(6u, ComboTexts(viewer->form, IDC_PERIOD_TYPE).size());

  const std::string log = viewer->tempFolder + "\\opened.log";
  PressF1(viewer->form);
  ASSERT_EQ(1u, WaitForOpenRecords(log, 1).size());
  Click(*viewer, IDC_STATION_INFO);
  std::vector<OpenRecord> opened = WaitForOpenRecords(log, 2);
  ASSERT_EQ(2u, opened.size());
  EXPECT_TRUE(ComparablePath(opened[0].wideArguments) ==
              ComparablePath(platform::ToWide((viewer->folder + "\\norda.html").c_str())))
      << opened[0].arguments;
  EXPECT_TRUE(ComparablePath(opened[1].wideArguments) ==
              ComparablePath(platform::ToWide((viewer->folder + "\\Chiten.csv").c_str())))
      << opened[1].arguments;
  EXPECT_TRUE(viewer->NoMessageWithin(BRIEF_WAIT_MS));
}

}  // namespace
