// The monthly usage of the launcher's system menu: sign in on the account
// server and tell how many records the subscriber retrieved in the current
// month.
#pragma once

#include <string>

#include "platform/message_box.h"

// Signs in on `server` (over HTTPS when `secure`) with the user ID and
// password and sums the ledger of the subscriber's client number over
// `yearMonth` ("YYYY-MM"). Returns the message that reports the outcome: the
// count, or why there is none. Errors of the internet layer become a message
// too; never throws.
std::string MonthlyUsageMessage(const std::string& server, const std::string& userId,
                                const std::string& password, const std::string& yearMonth, bool secure = false);

// The whole command: reads the settings and the credentials, and shows the
// outcome of MonthlyUsageMessage for the current local month in a message
// box owned by `owner`.
void ShowMonthlyUsage(platform::WindowHandle owner);
