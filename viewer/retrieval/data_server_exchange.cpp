#include "viewer/retrieval/data_server_exchange.h"

#include "common/server_link.h"
#include "platform/wait_cursor.h"

bool ExchangeWithDataServer(const QueryRequest& request, const std::string& statement, std::string& reply,
                            int& rowCount) {
  ServerLink link(VIEWER_ROW_TERMINATOR);
  link.server = request.server;
  link.secure = request.secure;
  platform::CWaitCursor waitCursor;
  bool succeeded = link.Execute(statement, reply, rowCount);
  waitCursor.Restore();
  return succeeded;
}
