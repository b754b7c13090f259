#include "viewer/retrieval/data_server_exchange.h"

#include "common/server_link.h"

namespace {
// The data server's reply line when the month's allowance is used up.
constexpr char ALLOWANCE_REFUSAL[] = "ERROR: the monthly allowance of rows is used up";
}  // namespace

StationExchange DataServerExchange(const std::string& server, bool secure,
                                   std::shared_ptr<platform::CInternetSession> session,
                                   std::shared_ptr<ExchangeCanceller> canceller,
                                   std::shared_ptr<std::atomic<bool>> allowanceUsedUp) {
  return [server, secure, session, canceller, allowanceUsedUp](
             const std::string& statement, std::string& reply, int& rowCount) {
    if (*allowanceUsedUp) return false;
    ServerLink link(VIEWER_ROW_TERMINATOR);
    link.server = server;
    link.secure = secure;
    link.session = session;
    link.canceller = canceller;
    bool succeeded = link.Execute(statement, reply, rowCount);
    if (!succeeded && link.errorLine == ALLOWANCE_REFUSAL) *allowanceUsedUp = true;
    return succeeded;
  };
}
