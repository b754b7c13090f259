// The display command of the query form: from the form's selections to the
// opened report and the usage record. Enter (IDOK) writes HTML, 表計算 CSV.
#include <cstdio>
#include <string>
#include <vector>

#include "common/server_link.h"
#include "common/server_statements.h"
#include "common/settings_file.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/wait_cursor.h"
#include "viewer/form/data_years_file.h"
#include "viewer/form/query_form_dialog.h"
#include "viewer/form/station_picker.h"
#include "viewer/report/report_writer.h"
#include "viewer/report/template_merger.h"
#include "viewer/retrieval/data_server_exchange.h"
#include "viewer/retrieval/query_request.h"

namespace {

// The server that holds the observation tables, built into the program; the
// settings file's DataServer names another.
constexpr const char* BUILT_IN_DATA_SERVER = TARVEX_DATA_SERVER;

// A report takes at most this many value columns.
constexpr int MAX_REPORT_COLUMNS = 255;

constexpr const char* NO_STATION_MESSAGE = "観測地点を１件以上選択してください。";
constexpr const char* PERIOD_ORDER_MESSAGE = "期間のFROM、TOに矛盾があります。";
constexpr const char* PERIOD_RANGE_BETWEEN = "～";
constexpr const char* PERIOD_RANGE_END = "に該当する期間を指定してください。";
constexpr const char* FIRST_DAY = "/01/01";
constexpr const char* LAST_DAY = "/12/31";
constexpr const char* NO_ELEMENT_MESSAGE = "要素は、１つ以上選択してください。";
constexpr const char* TOO_MANY_COLUMNS_MESSAGE = "観測地点および要素の選択が多すぎます。絞り込んでください。";
constexpr const char* SIGN_IN_FAILED_MESSAGE = "ユーザ認証に失敗しました。IDとパスワードを確認してください。";
constexpr const char* NO_DATA_MESSAGE = "該当するデータはありません。";

// "%04d" of `year`.
std::string FourDigitYear(int year) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", year);
  return digits;
}

// The range message names the first and the last day of the data's years,
// whatever the period type.
std::string PeriodRangeMessage(const DataYears& years) {
  return FourDigitYear(years.first) + FIRST_DAY + PERIOD_RANGE_BETWEEN + FourDigitYear(years.last) + LAST_DAY +
         PERIOD_RANGE_END;
}

}  // namespace

void QueryFormDialog::OnOK() { RunDisplayCommand(); }

void QueryFormDialog::OnSpreadsheet() {
  spreadsheetMode = OUTPUT_MODE_CSV;
  RunDisplayCommand();
  spreadsheetMode = 0;
}

void QueryFormDialog::RunDisplayCommand() {
  QueryRequest request;
  ReportWriter report;
  if (!CheckSelections(request, report)) return;

  SettingsFile settings(SettingsProgram::Viewer);
  if (!settings.Read()) Tell(SETTINGS_UNREADABLE);
  ServerLink link(VIEWER_ROW_TERMINATOR);
  std::string signInReply;
  if (!SignIn(settings, link, signInReply)) return;

  std::vector<ObservationRow> rows;
  int32_t rowCount = 0;
  std::string reportPath;
  std::string reportError;
  bool reportMade = false;
  {
    platform::CWaitCursor wait;
    request.server = settings.dataServer.empty() ? BUILT_IN_DATA_SERVER : settings.dataServer;
    request.secure = settings.secure;
    // A data server whose certificate does not check out ends the whole
    // retrieval with one message, not one message per station.
    ExchangeResult retrieved = GuardExchange([&] {
      // A station whose exchange failed is told at once in a box of its
      // own; the other stations go on.
      rows = request.Retrieve(
          [&](const std::string& statement, std::string& reply, int& replyRows) {
            return ExchangeWithDataServer(request, statement, reply, replyRows);
          },
          [](const char*) { platform::ShowMessage(nullptr, COMMUNICATION_ERROR_MESSAGE, VIEWER_CAPTION); },
          rowCount);
      report.SetOutputMode(spreadsheetMode);
      reportMade = report.MakeReport(rows.data(), rowCount, reportPath, reportError);
      return true;
    });
    wait.Restore();
    if (retrieved != ExchangeResult::Done) {
      Tell(ExchangeFailureMessage(retrieved));
      return;
    }
  }
  // The report writer says nothing itself: its reason is shown here.
  if (!reportMade) {
    if (!reportError.empty()) Tell(reportError.c_str());
    return;
  }
  if (rowCount == 0) {
    Tell(NO_DATA_MESSAGE);  // the file is written but not opened
    return;
  }
  // A report the shell could not open has not been delivered: it is not
  // recorded as a use.
  if (!platform::ShellOpen(reportPath.c_str(), nullptr, nullptr)) {
    Tell(OpenFailureMessage(reportPath.c_str()).c_str());
    return;
  }
  RecordUsage(link, signInReply.substr(0, CLIENT_NUMBER_LENGTH), rowCount);
}

bool QueryFormDialog::CheckSelections(QueryRequest& request, ReportWriter& report) {
  if (chosenStations.Count() == 0) return Stop(NO_STATION_MESSAGE);
  request.SetStations(chosenStations);
  report.SetStations(&chosenStations);

  std::string from;
  std::string to;
  int type = BuildPeriodStrings(from, to);
  request.SetPeriod(type, from.c_str(), to.c_str());
  if (!request.CheckPeriodOrder()) return Stop(PERIOD_ORDER_MESSAGE);
  request.dataYears = ReadDataYears(YEAR_FILE);
  if (!request.CheckPeriodRange()) return Stop(PeriodRangeMessage(request.dataYears).c_str());
  report.SetPeriod(type, from.c_str(), to.c_str());

  int32_t flags[ELEMENT_COUNT] = {};
  ReadElementFlags(flags);
  request.SetElements(flags);
  if (!request.AnyElementChosen()) return Stop(NO_ELEMENT_MESSAGE);
  report.SetElements(flags);
  if (report.TotalColumns() > MAX_REPORT_COLUMNS) return Stop(TOO_MANY_COLUMNS_MESSAGE);
  return true;
}

bool QueryFormDialog::SignIn(SettingsFile& settings, ServerLink& link, std::string& reply) {
  link.server = settings.serverIp;
  link.secure = settings.secure;
  std::string userId;
  std::string password;
  settings.ReadCredentials(userId, password);

  int rows = 0;
  ExchangeResult result = ExecuteGuarded(link, SignInStatement(userId, password), reply, rows);
  if (result != ExchangeResult::Done) return Stop(ExchangeFailureMessage(result));
  if (rows != 1) return Stop(SIGN_IN_FAILED_MESSAGE);
  return true;
}

// The use is recorded once the report is open. A failed exchange is told
// but the report stays open; an exception of the internet layer is caught
// as in the sign-in, so it cannot end the program.
void QueryFormDialog::RecordUsage(ServerLink& link, const std::string& clientNumber, int rowCount) {
  std::string reply;
  int rows = 0;
  ExchangeResult result = ExecuteGuarded(link, UsageRecordStatement(clientNumber, rowCount), reply, rows);
  if (result != ExchangeResult::Done) Tell(ExchangeFailureMessage(result));
}
