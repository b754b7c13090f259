// The texts of the launcher's monthly usage command that need no server:
// the month pattern, the client number taken from the sign-in reply and the
// message that shows the count.
#pragma once

#include <ctime>
#include <string>

// The year and month of `when` in local time as "YYYY-MM", the form in which
// the ledger's dates begin.
std::string YearMonthOf(std::time_t when);

// The client number in a sign-in reply text: the first five characters of
// its first row, never reaching into the row's line feed.
std::string ClientNumberOf(const std::string& signInReply);

// "今月は\n【" + the usage reply without its trailing white space + "】\n件検索しました。"
std::string UsageCountMessage(const std::string& usageReply);
