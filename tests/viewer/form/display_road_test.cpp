// The display command's whole road with the real tarvex.exe against the
// reference server on the data server's address: sign-in, retrieval, the
// report file, the shell's "open" and the usage ledger. Replies the
// reference server never gives come from the scripted server, named as
// ServerIP while the observations still come from the reference server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <share.h>
#include <sstream>
#include <string>
#include <vector>

#include "common/server_link.h"
#include "common/server_statements.h"
#include "resources/viewer/resource.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"
#include "tests/viewer/form/viewer_session_win.h"

namespace {

using namespace test_support;
using Texts = std::vector<std::string>;

constexpr const char* DATA_SERVER = "127.0.0.1";
constexpr const char* DEMO_CLIENT = "10001";
constexpr int MISSING = 32767;
constexpr int YEARLY_ROW = 5;
constexpr int LAST_YEAR_ROW = 4;  // 2003
constexpr int ROAD_WAIT_MS = 30000;

constexpr const char* SIGN_IN_FAILED = "ユーザ認証に失敗しました。IDとパスワードを確認してください。";
constexpr const char* COMMUNICATION_ERROR = "通信中にエラーが発生しました。";
constexpr const char* NO_DATA = "該当するデータはありません。";
constexpr const char* ALLOWANCE_USED_UP = "今月の利用可能件数を超えるため、データを取得できません。";
// The account of tests/viewer/form/with_used_up_allowance.sh: its month's rows
// have reached its allowance.
constexpr const char* CAPPED_USER = "capped";
constexpr const char* CAPPED_CLIENT = "20009";
// Nothing listens there: any exchange would end in a message box.
constexpr const char* NO_SERVER = TEST_ADDRESS_VIEWER_NO_SERVER;
constexpr int SEVEN_DAYS_ROW = 6;  // 1999/01/01 to 1999/01/07
constexpr int WAIT_FOR_ANY_EXCHANGE_MS = 3000;

// The data server serves observations to an address that signed in lately,
// as the viewer does before it asks; the test reads from the same address.
void SignInAtDataServer() {
  ServerLink link(LAUNCHER_ROW_TERMINATOR);
  link.server = DATA_SERVER;
  std::string reply;
  int rows = 0;
  EXPECT_TRUE(link.Execute(SignInStatement("demo", "tarvex"), reply, rows) && rows == 1);
}

// The rows of one statement, each split at its commas.
std::vector<Texts> Rows(const std::string& statement) {
  ServerLink link(LAUNCHER_ROW_TERMINATOR);
  link.server = DATA_SERVER;
  std::string reply;
  int rows = 0;
  EXPECT_TRUE(link.Execute(statement, reply, rows)) << statement;
  std::vector<Texts> result;
  std::istringstream lines(reply);
  for (std::string line; std::getline(lines, line);) {
    Texts values;
    std::istringstream fields(line);
    for (std::string value; std::getline(fields, value, ',');) values.push_back(value);
    result.push_back(values);
  }
  return result;
}

// The rows of an observation statement, read as the demo subscriber.
std::vector<Texts> Query(const std::string& statement) {
  SignInAtDataServer();
  return Rows(statement);
}

// Observation rows delivered to a client so far (the demo's by default), by its ledger.
long LedgerTotal(const char* client = DEMO_CLIENT) {
  // No sign-in here: it would name the demo as this address's reader.
  std::vector<Texts> rows = Rows(MonthlyUsageStatement(client, ""));
  return rows.empty() || rows[0].empty() ? -1 : std::stol(rows[0][0]);
}

std::string Whole(const std::string& value) { return std::stoi(value) == MISSING ? "*****" : value; }

std::string Tenths(const std::string& value) {
  int number = std::stoi(value);
  if (number == MISSING) return "*****";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", number * 0.1);
  return text;
}

std::string Date(const std::string& year, const std::string& value, const std::string& month,
                 const std::string& day) {
  if (std::stoi(value) == MISSING) return "*****";
  char text[32];
  std::snprintf(text, sizeof text, "%4d/%02d/%02d", std::stoi(year), std::stoi(month), std::stoi(day));
  return text;
}

// The lines of a CSV report as stored (CR LF) without their line ends.
Texts CsvLines(const std::string& bytes) {
  Texts lines;
  std::string::size_type start = 0;
  for (std::string::size_type end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  EXPECT_EQ(bytes.size(), start) << "every line ends with CR LF";
  return lines;
}

// The texts between the tags of an HTML page, in page order.
Texts HtmlTexts(const std::string& page) {
  Texts texts;
  std::string::size_type at = 0;
  while ((at = page.find('>', at)) != std::string::npos) {
    std::string::size_type end = page.find('<', ++at);
    if (end == std::string::npos) break;
    if (end > at) texts.push_back(page.substr(at, end - at));
    at = end;
  }
  return texts;
}

class DisplayRoad : public ::testing::Test {
 protected:
  // Starts the viewer signing in at `serverIp` (the data server by default).
  void StartViewer(const std::string& name, const std::string& serverIp = DATA_SERVER) {
    viewer = std::make_unique<ViewerSession>(name, serverIp);
    ASSERT_TRUE(viewer->Start());
  }

  // Chooses the first station of the first prefecture, 11001 稚内 in the
  // sample data.
  void ChooseFirstStation(const std::string& row = "11001 稚内") {
    SetListSelection(viewer->form, IDC_STATION_LIST, 0, true);
    ClickButton(viewer->form, IDC_CHOOSE);
    ASSERT_TRUE(WaitUntil([&] { return ListTexts(viewer->form, IDC_CHOSEN_LIST) == Texts{row}; }));
  }

  void Select(int id, int row) {
    SelectComboRow(viewer->form, id, row);
    Settle(viewer->form);
  }

  // Presses Enter with the focus on `control`, as the user would after
  // clicking it or tabbing to it, and waits until the shell has been asked
  // to open `count` files in all; false when a message box came instead.
  bool EnterOn(int control, size_t count) {
    FocusControl(viewer->form, control);
    PressEnter(viewer->form);
    return WaitForOpened(count);
  }

  bool WaitForOpened(size_t count) {
    bool opened = WaitUntil([&] { return viewer->Opened().size() >= count || viewer->program.WaitForModalBox(0); },
                            ROAD_WAIT_MS);
    return opened && viewer->Opened().size() >= count;
  }

  std::string RunUntilMessage(int command) {
    PostCommand(viewer->form, command);
    return viewer->NextMessage(ROAD_WAIT_MS).text;
  }

  std::unique_ptr<ViewerSession> viewer;
};

TEST_F(DisplayRoad, WrongCredentialsAreRefusedBeforeAnyRetrieval) {
  StartViewer("road-sign-in");
  ChooseFirstStation();
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  long ledger = LedgerTotal();

  viewer->WriteCredentials("demo", "wrong");
  EXPECT_EQ(SIGN_IN_FAILED, RunUntilMessage(IDC_DISPLAY));
  viewer->WriteCredentials("nobody", "tarvex");
  EXPECT_EQ(SIGN_IN_FAILED, RunUntilMessage(IDC_DISPLAY));
  viewer->RemoveFile("user_inf.txt");
  EXPECT_EQ(SIGN_IN_FAILED, RunUntilMessage(IDC_DISPLAY));
  // A quote in the password neither breaks the statement nor signs in.
  viewer->WriteCredentials("demo", "x' OR 'a'='a");
  EXPECT_EQ(SIGN_IN_FAILED, RunUntilMessage(IDC_DISPLAY));

  EXPECT_TRUE(viewer->Opened().empty());
  EXPECT_EQ(ledger, LedgerTotal());
}

TEST_F(DisplayRoad, EnterWritesHtmlSpreadsheetWritesCsvBothWithTheServersValuesAndEachRunIsRecorded) {
  StartViewer("road-daily");
  ChooseFirstStation();
  Select(IDC_TO_DAILY_DAY, 6);  // 1999/01/01 to 1999/01/07
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  SetCheck(viewer->form, IDC_MEAN_TEMP, true);
  std::vector<Texts> rows = Query("SELECT * FROM st_data_h WHERE sChiten = 11001 AND d2 = 1999 AND d3 = 1 AND d7 <= 7;");
  ASSERT_EQ(7u, rows.size());
  std::map<std::string, Texts> byLabel;  // 1999/01/0d: precipitation, mean temperature
  for (const Texts& row : rows) {
    ASSERT_EQ(18u, row.size());
    char label[16];
    std::snprintf(label, sizeof label, "1999/01/%02d", std::stoi(row[7]));
    byLabel[label] = {Whole(row[8]), Tenths(row[14])};
  }
  long ledger = LedgerTotal();

  // Enter in the station list: the hidden default button, HTML.
  ASSERT_TRUE(EnterOn(IDC_CHOSEN_LIST, 1));
  std::vector<OpenRecord> opened = viewer->Opened();
  EXPECT_NE(std::string::npos, opened[0].arguments.find("temp.html")) << opened[0].arguments;
  Texts page = HtmlTexts(viewer->TempFile("temp.html"));
  for (const auto& [label, values] : byLabel) {
    auto at = std::find(page.begin(), page.end(), label);
    ASSERT_TRUE(at != page.end()) << label;
    ASSERT_LE(2, page.end() - at - 1) << label;
    EXPECT_EQ(values, (Texts{at[1], at[2]})) << label;
  }
  EXPECT_TRUE(WaitUntil([&] { return LedgerTotal() == ledger + 7; }));

  // Enter on 表計算: CSV.
  ASSERT_TRUE(EnterOn(IDC_SPREADSHEET, 2));
  opened = viewer->Opened();
  EXPECT_NE(std::string::npos, opened[1].arguments.find("temp.csv")) << opened[1].arguments;
  Texts csv = CsvLines(viewer->TempFile("temp.csv"));
  ASSERT_EQ(11u, csv.size());
  EXPECT_EQ("地点番号,11001,11001", csv[0]);
  EXPECT_EQ("地点名,稚内,稚内", csv[1]);
  EXPECT_EQ("データ,降水量,平均気温", csv[2]);
  int line = 4;
  for (const auto& [label, values] : byLabel) EXPECT_EQ(label + "," + values[0] + "," + values[1], csv[line++]);
  EXPECT_TRUE(WaitUntil([&] { return LedgerTotal() == ledger + 14; }));

  // The next Enter writes HTML again, and the form kept every selection.
  ASSERT_TRUE(EnterOn(IDC_STATION_LIST, 3));
  EXPECT_NE(std::string::npos, viewer->Opened()[2].arguments.find("temp.html"));
  EXPECT_EQ(Texts{"11001 稚内"}, ListTexts(viewer->form, IDC_CHOSEN_LIST));
  EXPECT_EQ(6, ComboSelection(viewer->form, IDC_TO_DAILY_DAY));
  EXPECT_TRUE(IsChecked(viewer->form, IDC_MEAN_TEMP));
  EXPECT_TRUE(WaitUntil([&] { return LedgerTotal() == ledger + 21; }));
  EXPECT_TRUE(viewer->NoMessageWithin(500));
}

TEST_F(DisplayRoad, AYearlyReportHoldsTheServersYearlyRows) {
  StartViewer("road-yearly");
  ChooseFirstStation();
  Select(IDC_PERIOD_TYPE, YEARLY_ROW);
  Select(IDC_TO_YEAR, LAST_YEAR_ROW);
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  SetCheck(viewer->form, IDC_MAX_TEMP, true);
  std::vector<Texts> rows = Query("SELECT * FROM st_data_n WHERE sChiten = 11001;");
  ASSERT_EQ(5u, rows.size());
  std::map<std::string, std::string> expected;  // year: the CSV line
  for (const Texts& row : rows) {
    ASSERT_EQ(26u, row.size());
    expected[row[1]] = row[1] + "," + Whole(row[2]) + "," + Date(row[1], row[17], row[18], row[19]) + "," +
                       Tenths(row[17]);
  }
  long ledger = LedgerTotal();

  ClickButton(viewer->form, IDC_SPREADSHEET);
  ASSERT_TRUE(WaitForOpened(1));
  Texts csv = CsvLines(viewer->TempFile("temp.csv"));
  ASSERT_EQ(9u, csv.size());
  EXPECT_EQ("データ,降水量,現象年月日,最高気温", csv[2]);
  int line = 4;
  for (const auto& [year, text] : expected) EXPECT_EQ(text, csv[line++]) << year;
  EXPECT_TRUE(WaitUntil([&] { return LedgerTotal() == ledger + 5; }));
}

TEST_F(DisplayRoad, ARequestWithoutDataOpensNothingAndRecordsNothing) {
  viewer = std::make_unique<ViewerSession>("road-no-data", DATA_SERVER);
  viewer->WriteFile("M_CHITEN.dat", "99999,無観測,11\r\n");
  ASSERT_TRUE(viewer->Start());
  ChooseFirstStation("99999 無観測");
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  long ledger = LedgerTotal();

  EXPECT_EQ(NO_DATA, RunUntilMessage(IDC_DISPLAY));
  EXPECT_TRUE(viewer->NoMessageWithin(500));
  EXPECT_TRUE(viewer->Opened().empty());
  EXPECT_EQ(ledger, LedgerTotal());
}

TEST_F(DisplayRoad, AReportThatCannotBeWrittenIsExplainedAndNothingOpens) {
  StartViewer("road-no-template");
  viewer->RemoveFile("output.html");
  ChooseFirstStation();
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  long ledger = LedgerTotal();

  ShownMessage shown = (PostCommand(viewer->form, IDC_DISPLAY), viewer->NextMessage(ROAD_WAIT_MS));
  EXPECT_EQ("Tarvex", shown.caption);
  EXPECT_EQ("ファイル[output.html]は、オープンできません。", shown.text);
  EXPECT_TRUE(viewer->NoMessageWithin(500));
  EXPECT_TRUE(viewer->Opened().empty());
  EXPECT_EQ(ledger, LedgerTotal());
}

TEST_F(DisplayRoad, ACsvFileHeldOpenElsewhereIsReportedAndNothingOpens) {
  StartViewer("road-csv-held");
  ChooseFirstStation();
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  long ledger = LedgerTotal();

  // A spreadsheet that still holds the last CSV report keeps others out.
  std::FILE* held = _fsopen((viewer->tempFolder + "\\temp.csv").c_str(), "w", _SH_DENYRW);
  ASSERT_NE(nullptr, held);
  ClickButton(viewer->form, IDC_SPREADSHEET);
  ShownMessage shown = viewer->NextMessage(ROAD_WAIT_MS);
  std::fclose(held);
  EXPECT_EQ("Tarvex", shown.caption);
  EXPECT_EQ("すでにファイルがオープンしてます。ファイルを閉じてください。", shown.text);
  EXPECT_TRUE(viewer->NoMessageWithin(500));
  EXPECT_TRUE(viewer->Opened().empty());
  EXPECT_EQ(ledger, LedgerTotal());
}

std::string ScriptedServer() { return EnvironmentValue("TARVEX_SCRIPTED_ADDRESS"); }

TEST_F(DisplayRoad, ASignInAnsweredWithAnErrorStatusIsACommunicationError) {
  ASSERT_FALSE(ScriptedServer().empty()) << "run under scripted_server.py";
  StartViewer("road-sign-in-500", ScriptedServer());
  viewer->WriteCredentials("status500", "any");
  ChooseFirstStation();
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  EXPECT_EQ(COMMUNICATION_ERROR, RunUntilMessage(IDC_DISPLAY));
  EXPECT_TRUE(viewer->NoMessageWithin(500));
  EXPECT_TRUE(viewer->Opened().empty());
  EXPECT_TRUE(viewer->program.IsRunning());
}

TEST_F(DisplayRoad, AFailedUsageRecordIsToldAfterTheReportOpenedAndTheProgramGoesOn) {
  // The scripted server signs the viewer in; the data server learns of a
  // sign-in from this address here.
  SignInAtDataServer();
  StartViewer("road-record-fails", ScriptedServer());
  viewer->WriteCredentials("account", "any");
  ChooseFirstStation();
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  ShownMessage shown = (PostCommand(viewer->form, IDC_DISPLAY), viewer->NextMessage(ROAD_WAIT_MS));
  EXPECT_EQ(COMMUNICATION_ERROR, shown.text);
  ASSERT_EQ(1u, viewer->Opened().size());
  EXPECT_NE(std::string::npos, viewer->Opened()[0].arguments.find("temp.html"));
  EXPECT_NE(std::string::npos, viewer->TempFile("temp.html").find("稚内"));
  EXPECT_TRUE(viewer->NoMessageWithin(500));
  // The form still works: the next run goes the same way.
  EXPECT_EQ(COMMUNICATION_ERROR, RunUntilMessage(IDC_DISPLAY));
  EXPECT_EQ(2u, viewer->Opened().size());
}

// A station whose observations the data server refuses is told in a box of
// its own, captioned as the viewer and owned by no window, and the road
// goes on without its rows.
TEST_F(DisplayRoad, AStationTheDataServerRefusesIsToldAndTheRoadGoesOn) {
  StartViewer("road-station-fails", ScriptedServer());
  viewer->WriteFile("qorvanet.ini",
                    "[system]\r\nServerIP=" + ScriptedServer() + "\r\nDataServer=" + ScriptedServer() + "\r\n");
  viewer->WriteCredentials("account", "any");
  ChooseFirstStation();
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  PostCommand(viewer->form, IDC_DISPLAY);
  WindowHandle station = viewer->program.WaitForDialogBeside(viewer->form, ROAD_WAIT_MS);
  ASSERT_NE(nullptr, station);
  EXPECT_EQ(COMMUNICATION_ERROR, MessageBoxText(station));
  EXPECT_EQ("Tarvex", WindowText(station));
  PressButton(station, IDOK_BUTTON);
  EXPECT_EQ(NO_DATA, viewer->NextMessage(ROAD_WAIT_MS).text);
  EXPECT_TRUE(viewer->Opened().empty());
}

TEST_F(DisplayRoad, AReportTheShellCannotOpenIsToldAndNotRecorded) {
  StartViewer("road-no-program");
  ChooseFirstStation();
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  long ledger = LedgerTotal();
  // No program opens CSV files; the next test's start gives it back.
  ASSERT_TRUE(ForgetDocumentType(L".csv"));

  ShownMessage shown = (ClickButton(viewer->form, IDC_SPREADSHEET), viewer->NextMessage(ROAD_WAIT_MS));
  ASSERT_TRUE(RegisterOpenRecorder());
  EXPECT_EQ("Tarvex", shown.caption);
  EXPECT_EQ("ファイル[" + viewer->tempFolder + "\\temp.csv]は、オープンできません。", shown.text);
  EXPECT_NE(std::string::npos, viewer->TempFile("temp.csv").find("稚内"));
  EXPECT_TRUE(viewer->NoMessageWithin(500));
  EXPECT_TRUE(viewer->Opened().empty());
  EXPECT_EQ(ledger, LedgerTotal());
}

// A query above ConfirmRows is asked about before anything is sent: No
// leaves the form as it was (no server is even tried), Yes runs the road as
// before; at the threshold nothing is asked.
TEST_F(DisplayRoad, AQueryAboveConfirmRowsIsAskedAboutBeforeAnyExchange) {
  struct Case {
    const char* confirmRows;
    const char* server;
    int answer;  // the button pressed on the question; 0: no question comes
    bool opens;
  } cases[] = {
      {"6", NO_SERVER, IDNO_BUTTON, false},
      {"6", DATA_SERVER, IDYES_BUTTON, true},
      {"7", DATA_SERVER, 0, true},
  };
  StartViewer("road-confirm");
  ChooseFirstStation();
  Select(IDC_TO_DAILY_DAY, SEVEN_DAYS_ROW);
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  size_t opened = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("ConfirmRows=") + c.confirmRows + " at " + c.server);
    viewer->WriteFile("qorvanet.ini", std::string("[system]\r\nServerIP=") + c.server + "\r\nDataServer=" + c.server +
                                          "\r\nConfirmRows=" + c.confirmRows + "\r\n");
    long ledger = LedgerTotal();
    PostCommand(viewer->form, IDC_DISPLAY);
    if (c.answer != 0) {
      WindowHandle question = viewer->program.WaitForModalBox(ROAD_WAIT_MS);
      ASSERT_NE(nullptr, question);
      EXPECT_EQ("この条件では7件のデータを取得します。実行しますか？", MessageBoxText(question));
      EXPECT_EQ("Tarvex", WindowText(question));
      PressButton(question, c.answer);
      WaitForWindowGone(question);
    }
    if (c.opens) {
      ASSERT_TRUE(WaitForOpened(++opened));
      EXPECT_TRUE(WaitUntil([&] { return LedgerTotal() == ledger + 7; }));
    } else {
      EXPECT_TRUE(viewer->NoMessageWithin(WAIT_FOR_ANY_EXCHANGE_MS));
      EXPECT_EQ(opened, viewer->Opened().size());
      EXPECT_EQ(ledger, LedgerTotal());
    }
  }
}

// A subscriber whose month's rows reached the allowance gets one message of
// the viewer's own instead of a box per station; nothing is written, opened
// or recorded.
TEST_F(DisplayRoad, AnAllowanceUsedUpIsToldOnceAndNothingIsWrittenOrRecorded) {
  StartViewer("road-allowance");
  viewer->WriteCredentials(CAPPED_USER, "tarvex");
  SetListSelection(viewer->form, IDC_STATION_LIST, 0, true);
  SetListSelection(viewer->form, IDC_STATION_LIST, 1, true);
  ClickButton(viewer->form, IDC_CHOOSE);
  ASSERT_TRUE(WaitUntil([&] { return ListTexts(viewer->form, IDC_CHOSEN_LIST).size() == 2u; }));
  SetCheck(viewer->form, IDC_PRECIPITATION, true);
  long ledger = LedgerTotal(CAPPED_CLIENT);

  EXPECT_EQ(ALLOWANCE_USED_UP, RunUntilMessage(IDC_DISPLAY));
  EXPECT_TRUE(viewer->NoMessageWithin(500));
  EXPECT_TRUE(viewer->Opened().empty());
  EXPECT_EQ("", viewer->TempFile("temp.html"));
  EXPECT_EQ(ledger, LedgerTotal(CAPPED_CLIENT));
}

}  // namespace
