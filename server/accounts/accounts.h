// The operator's work on subscriber accounts: add one, change a password,
// switch an account off and on, hold its client to a monthly allowance of
// rows, list them. A user ID names one account; a
// client number is five characters and belongs to one account; passwords
// are stored hashed. Every text must be one the programs can send
// (Shift-JIS), or its subscriber could never sign in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/database/connection.h"

struct AccountListing {
  std::string clientNo;
  std::string userId;
  bool disabled = false;
  bool hasAllowance = false;
  int64_t allowance = 0;           // rows a month, when hasAllowance
  int64_t deliveredThisMonth = 0;  // rows the server delivered to the client in the listed month
};

// Adds an account. Refuses (false, `error` saying why, nothing changed) a
// client number that is not five characters or exists already, an empty or
// taken user ID, an empty password, or a text Shift-JIS cannot hold.
bool CreateAccount(Connection& db, const std::string& userId, const std::string& clientNo,
                   const std::string& password, std::string& error);

// Gives the account of `userId` a new password; false with `error` set
// when there is no such account or the password is refused as above.
bool ChangePassword(Connection& db, const std::string& userId, const std::string& password, std::string& error);

// Switches the account of `userId` off (no sign-in answers it) or on again.
bool SetAccountDisabled(Connection& db, const std::string& userId, bool disabled, std::string& error);

// Holds the client of `userId` to `rows` observation rows a month (a
// request is refused once the server delivered that many this month), or,
// with `limited` false, to none. False with `error` set when there is no
// such account or `rows` is below 0 or above MAX_USAGE_ROWS.
bool SetAllowance(Connection& db, const std::string& userId, bool limited, int64_t rows, std::string& error);

// Every account, by client number, with the rows delivered to its client in
// `month` ("YYYY-MM"). Never a password or its hash.
bool ListAccounts(Connection& db, const std::string& month, std::vector<AccountListing>& accounts,
                  std::string& error);
