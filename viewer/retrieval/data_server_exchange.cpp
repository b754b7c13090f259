#include "viewer/retrieval/data_server_exchange.h"

#include "common/server_link.h"
#include "platform/wait_cursor.h"

namespace {
// The data server's reply line when the month's allowance is used up.
constexpr char ALLOWANCE_REFUSAL[] = "ERROR: the monthly allowance of rows is used up";
}  // namespace

bool ExchangeWithDataServer(const QueryRequest& request, const std::string& statement, std::string& reply,
                            int& rowCount, bool& allowanceUsedUp) {
  ServerLink link(VIEWER_ROW_TERMINATOR);
  link.server = request.server;
  link.secure = request.secure;
  platform::CWaitCursor waitCursor;
  bool succeeded = link.Execute(statement, reply, rowCount);
  waitCursor.Restore();
  allowanceUsedUp = link.errorLine == ALLOWANCE_REFUSAL;
  return succeeded;
}
