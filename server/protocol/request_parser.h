// The allow-list of the server: the only statements it answers are the
// ones the two programs send, and each is turned into a typed request whose
// values the store binds to statements of its own. A statement is cut into
// tokens (words, numbers, quoted texts, operators) and must match one of the
// known shapes exactly, so a value whose quote closes early, a second
// statement, a comment or any other keyword is refused.
#pragma once

#include <string>
#include <variant>

#include "server/accounts/account_rules.h"
#include "server/store/observation_query.h"

// SELECT client_no FROM client_mt WHERE user_id = '..' AND password = '..'
struct SignInRequest {
  std::string userId;
  std::string password;
};

// INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('..',now(),'..')
struct UsageRecordRequest {
  std::string clientNo;
  int64_t dataTotal = 0;  // decimal digits, quoted or not, 0 to MAX_USAGE_ROWS
};

// SELECT SUM(data_total) FROM fee_history_dt where client_no = '..' AND feeday LIKE '..'
struct MonthlyUsageRequest {
  std::string clientNo;
  std::string feedayPattern;
};

// SELECT * FROM st_data_x WHERE sChiten = <number> [AND <column> <op> <number> ...]
// [UNION <the same on the same table> ...]; parentheses may group the
// comparisons, which are joined by AND only, so every row is the station's.
using ObservationRequest = ObservationQuery;

using Request = std::variant<SignInRequest, UsageRecordRequest, MonthlyUsageRequest, ObservationRequest>;

// Most SELECTs one observation statement may join with UNION, and most
// comparisons one of them may add to its station.
constexpr int MAX_UNION_PARTS = 8;
constexpr size_t MAX_CONDITIONS_PER_PART = 16;

// The blanks that may stand between the words of a statement and around its
// framing: space, tab, carriage return and line feed.
bool IsSqlBlank(char c);

// Parses `sql` (UTF-8): exactly one allowed statement, optionally ended by
// ";", with nothing but white space around it. On success fills `request`
// and returns true; otherwise returns false with `reason` set.
bool ParseRequest(const std::string& sql, Request& request, std::string& reason);
