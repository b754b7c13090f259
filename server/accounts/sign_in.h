// Signing in, as a front server answers the programs' sign-in statement,
// and the failed sign-ins per address that hold an address off, which the
// operator lists and clears through the functions at the end.
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
  // whose user ID is `userId` and whose password hash matches `password`
  // (or did lately: SignInCache), ordered by client number (the programs
  // accept exactly one). Reads through `reads`, checks the slow hashes
  // holding no connection, and records in one transaction through `writes`
  // a success as the address's latest sign-in of each client, a failure
  // against the address. False with `error` set when the database fails.
  bool SignIn(ConnectionPool& reads, ConnectionPool& writes, const std::string& userId, const std::string& password,
              const std::string& address, std::vector<std::string>& clientNos, SignInOutcome& outcome,
              std::string& error);

 private:
  AccountRules rules_;
  SignInCache cache_;
};

// Hands `onAddress` a row of each address that failed to sign in after
// `since` (seconds since 1970), by address: the address, how often.
bool FailedSignIns(Connection& db, int64_t since, const RowHandler& onAddress, std::string& error);

// Forgets every failed sign-in of `address`, so it is held off no longer.
bool ForgetFailedSignIns(Connection& db, const std::string& address, std::string& error);
