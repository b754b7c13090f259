// The exchange of one observation statement with the data server, the
// StationExchange of the program. Windows only: it needs the internet layer.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "common/exchange_canceller.h"
#include "viewer/retrieval/retrieve.h"

namespace platform {
class CInternetSession;
}

// An exchange that sends a statement through a ServerLink of its own to the
// data server `server` (host name or dotted address; HTTPS when `secure`)
// over `session` (nullptr: a session of the exchange's own), ended by
// `canceller` when given, and appends the reply's rows to `reply`
// (ServerLink::Execute). It answers false when the exchange failed (status
// other than 200, or "ERROR:" in the reply); exceptions of the internet
// layer pass out. Once the data server has refused a station because the
// subscriber's rows this month reached their allowance, it sets
// `allowanceUsedUp` and asks nothing more. It keeps the session, the
// canceller and the flag alive, and may run on any thread, several side by
// side.
StationExchange DataServerExchange(const std::string& server, bool secure,
                                   std::shared_ptr<platform::CInternetSession> session,
                                   std::shared_ptr<ExchangeCanceller> canceller,
                                   std::shared_ptr<std::atomic<bool>> allowanceUsedUp);

// What the viewer tells the user, once, when the data server refused a
// station because the month's allowance of rows is used up.
constexpr char ALLOWANCE_USED_UP_MESSAGE[] = "今月の利用可能件数を超えるため、データを取得できません。";
