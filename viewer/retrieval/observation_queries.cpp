#include "viewer/retrieval/observation_queries.h"

#include <string>

#include "common/server_link.h"
#include "platform/message_box.h"
#include "platform/wait_cursor.h"
#include "viewer/retrieval/observation_statements.h"
#include "viewer/retrieval/reply_rows.h"

namespace {

constexpr const char* VIEWER_CAPTION = "Tarvex";

// One exchange for one station, and the reading of its reply in the layout of
// `periodType`'s table.
int Exchange(const QueryRequest& request, const std::string& statement, int32_t periodType,
             int& nextRow, RowArray& rows) {
  ServerLink link(VIEWER_ROW_TERMINATOR);
  link.server = request.server;
  link.secure = request.secure;
  std::string result;
  int rowCount = 0;
  platform::CWaitCursor waitCursor;
  bool succeeded = link.Execute(statement, result, rowCount);
  waitCursor.Restore();
  if (!succeeded) {
    platform::ShowMessage(nullptr, COMMUNICATION_ERROR_MESSAGE, VIEWER_CAPTION);
    return 0;
  }
  return ReadReplyRows(periodType, result.data(), result.size(), rowCount, nextRow, rows);
}

}  // namespace

int QueryDaily(const QueryRequest& request, const char* station, int& nextRow, RowArray& rows) {
  return Exchange(request, DailyStatement(station, request.periodFrom, request.periodTo),
                  PERIOD_DAILY, nextRow, rows);
}

int QueryYearRoundPentad(const QueryRequest& request, const char* station, int& nextRow,
                         RowArray& rows) {
  return Exchange(request, YearRoundPentadStatement(station, request.periodFrom, request.periodTo),
                  PERIOD_PENTAD_OF_YEAR, nextRow, rows);
}

int QueryCalendarPentad(const QueryRequest& request, const char* station, int& nextRow,
                        RowArray& rows) {
  return Exchange(request, CalendarPentadStatement(station, request.periodFrom, request.periodTo),
                  PERIOD_PENTAD_OF_MONTH, nextRow, rows);
}

int QueryTenDay(const QueryRequest& request, const char* station, int& nextRow, RowArray& rows) {
  return Exchange(request, TenDayStatement(station, request.periodFrom, request.periodTo),
                  PERIOD_TEN_DAY, nextRow, rows);
}

int QueryMonthly(const QueryRequest& request, const char* station, int& nextRow, RowArray& rows) {
  return Exchange(request, MonthlyStatement(station, request.periodFrom, request.periodTo),
                  PERIOD_MONTHLY, nextRow, rows);
}

int QueryYearly(const QueryRequest& request, const char* station, int& nextRow, RowArray& rows) {
  return Exchange(request, YearlyStatement(station, request.periodFrom, request.periodTo),
                  PERIOD_YEARLY, nextRow, rows);
}
