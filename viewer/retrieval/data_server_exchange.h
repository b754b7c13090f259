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
// reply); `allowanceUsedUp` then says whether the server refused because the
// subscriber's rows this month reached their allowance. Exceptions of the
// internet layer pass out.
bool ExchangeWithDataServer(const QueryRequest& request, const std::string& statement, std::string& reply,
                            int& rowCount, bool& allowanceUsedUp);

// What the viewer tells the user, once, when the data server refused a
// station because the month's allowance of rows is used up.
constexpr char ALLOWANCE_USED_UP_MESSAGE[] = "今月の利用可能件数を超えるため、データを取得できません。";
