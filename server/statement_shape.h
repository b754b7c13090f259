// The allow-list of the reference server: the only statements it runs are
// the ones the two programs send. A statement is cut into tokens (words,
// numbers, quoted texts, operators) and must match one of the known shapes
// exactly, so a value whose quote closes early, a second statement, a
// comment or any other keyword never reaches the database.
#pragma once

#include <string>

enum class StatementKind {
  SignIn,        // SELECT client_no FROM client_mt WHERE user_id = '..' AND password = '..'
  UsageRecord,   // INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('..',now(),'..')
  MonthlyUsage,  // SELECT SUM(data_total) FROM fee_history_dt where client_no = '..' AND feeday LIKE '..'
  Observation    // SELECT * FROM st_data_x WHERE sChiten = <number> [AND <comparisons of key
                 // columns with numbers, joined by AND>] [UNION <the same on the same table> ...]
};

// Most SELECTs one observation statement may join with UNION.
constexpr int MAX_UNION_PARTS = 8;

// Checks that `sql` (UTF-8) is exactly one allowed statement, optionally
// ended by ";", with nothing but white space around it. On success sets
// `kind` and returns true; otherwise returns false with `reason` set.
bool ClassifyStatement(const std::string& sql, StatementKind& kind, std::string& reason);
