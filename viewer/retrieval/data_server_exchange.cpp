#include "viewer/retrieval/data_server_exchange.h"

#include "common/server_link.h"

StationExchange DataServerExchange(const QueryRequest& request,
                                   std::shared_ptr<platform::CInternetSession> session,
                                   std::shared_ptr<ExchangeCanceller> canceller) {
  return [server = request.server, secure = request.secure, session, canceller](
             const std::string& statement, std::string& reply, int& rowCount) {
    ServerLink link(VIEWER_ROW_TERMINATOR);
    link.server = server;
    link.secure = secure;
    link.session = session;
    link.canceller = canceller;
    return link.Execute(statement, reply, rowCount);
  };
}
