// A sign-in as a front server answers the programs' sign-in statement: an
// address that failed too often lately is held off unchecked; otherwise
// every account with the user ID is checked against the password (the slow
// Argon2id hash, or the SignInCache for a match verified lately), a failure
// is counted against the address and a success recorded for the usage
// ledger and the metered reads. The failed-sign-in table is read and
// cleared by the operator through the functions at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/accounts/account_rules.h"
#include "server/accounts/sign_in_cache.h"
#include "server/database/connection.h"
#include "server/database/connection_pool.h"

enum class SignInOutcome {
  Accepted,   // at least one account has this user ID and password
  Refused,    // none has: a failure counted against the address
  Throttled   // the address failed too often lately: not even checked
};

class SignInPolicy {
 public:
  explicit SignInPolicy(const AccountRules& rules) : rules_(rules) {}

  // Signs in from `address`: the client numbers of the enabled accounts
  // whose user ID is `userId` and whose password hash matches `password`,
  // ordered by client number (the programs accept exactly one). The
  // failures and accounts are read through `reads`, the hashes checked
  // holding no connection, and the outcome recorded in one transaction
  // through `writes`: a success as the address's latest sign-in for each
  // client, a failure counted against the address. Returns false with
  // `error` set when the database fails.
  bool SignIn(ConnectionPool& reads, ConnectionPool& writes, const std::string& userId, const std::string& password,
              const std::string& address, std::vector<std::string>& clientNos, SignInOutcome& outcome,
              std::string& error);

 private:
  bool Record(Connection& db, const std::string& address, int64_t now, const std::vector<std::string>& clientNos,
              std::string& error);

  AccountRules rules_;
  SignInCache cache_;
};

// How often one address failed to sign in.
struct AddressFailures {
  std::string address;
  int64_t failures = 0;
};

// The addresses with failed sign-ins after `since` (seconds since 1970), by
// address. Returns false with `error` set when the database fails.
bool FailedSignIns(Connection& db, int64_t since, std::vector<AddressFailures>& addresses, std::string& error);

// Forgets every failed sign-in of `address`, so it is held off no longer.
bool ForgetFailedSignIns(Connection& db, const std::string& address, std::string& error);
