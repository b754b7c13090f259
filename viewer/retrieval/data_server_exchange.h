// The exchange of one observation statement with the request's data server,
// the QueryRequest::StationExchange of the program. Windows only: it needs
// the internet layer.
#pragma once

#include <memory>

#include "common/exchange_canceller.h"
#include "viewer/retrieval/query_request.h"

namespace platform {
class CInternetSession;
}

// An exchange that sends a statement through a ServerLink of its own to
// `request.server` (HTTPS when `request.secure`) over `session` (nullptr: a
// session of the exchange's own), ended by `canceller` when given, and
// appends the reply's rows to `reply` (ServerLink::Execute). It answers
// false when the exchange failed (status other than 200, or "ERROR:" in the
// reply); exceptions of the internet layer pass out. It copies what it
// needs of the request, keeps the session and the canceller alive, and may
// run on any thread, several side by side.
StationExchange DataServerExchange(const QueryRequest& request,
                                   std::shared_ptr<platform::CInternetSession> session,
                                   std::shared_ptr<ExchangeCanceller> canceller);
