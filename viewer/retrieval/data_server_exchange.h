// The exchange of one observation statement with the request's data server,
// the QueryRequest::StationExchange of the program. Windows only: it needs
// the internet layer.
#pragma once

#include <string>

#include "viewer/retrieval/query_request.h"

// Sends `statement` through a ServerLink of its own to `request.server`
// (HTTPS when `request.secure`) under the wait cursor, which is off again
// when it returns, and appends the reply's rows to `reply` (ServerLink::Execute).
// False when the exchange failed (status other than 200, or "ERROR:" in the
// reply). Exceptions of the internet layer pass out.
bool ExchangeWithDataServer(const QueryRequest& request, const std::string& statement, std::string& reply,
                            int& rowCount);
