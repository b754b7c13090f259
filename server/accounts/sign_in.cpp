#include "server/accounts/sign_in.h"

#include "server/accounts/password_hash.h"
#include "server/text/local_time.h"

namespace {

constexpr const char* ACCOUNTS_SQL =
    "SELECT client_no, password FROM client_mt WHERE user_id = $1 AND disabled = 0 ORDER BY client_no";
constexpr const char* FAILURES_SQL = "SELECT count(*) FROM sign_in_failure_dt WHERE address = $1 AND failed_at > $2";
constexpr const char* FAILURES_BY_ADDRESS_SQL =
    "SELECT address, count(*) FROM sign_in_failure_dt WHERE failed_at > $1 GROUP BY address ORDER BY address";
constexpr const char* RECORD_FAILURE_SQL = "INSERT INTO sign_in_failure_dt(address, failed_at) VALUES ($1, $2)";
constexpr const char* FORGET_FAILURES_SQL = "DELETE FROM sign_in_failure_dt WHERE failed_at <= $1";
constexpr const char* FORGET_FAILURES_OF_SQL = "DELETE FROM sign_in_failure_dt WHERE address = $1";
constexpr const char* RECORD_SIGN_IN_SQL =
    "INSERT INTO sign_in_dt(client_no, address, signed_in) VALUES ($1, $2, $3) "
    "ON CONFLICT (client_no, address) DO UPDATE SET signed_in = excluded.signed_in";
// Sign-ins are kept to the second: another client's sign-in from the same
// address in the same second (or, on a front whose clock runs ahead, later)
// is moved just behind this one, so the latest sign-in names the reader.
constexpr const char* PUT_OTHERS_BEHIND_SQL =
    "UPDATE sign_in_dt SET signed_in = $3 - 1 WHERE address = $1 AND client_no <> $2 AND signed_in >= $3";
constexpr const char* FORGET_SIGN_INS_SQL = "DELETE FROM sign_in_dt WHERE signed_in <= $1";

}  // namespace

bool SignInPolicy::SignIn(ConnectionPool& reads, ConnectionPool& writes, const std::string& userId,
                          const std::string& password, const std::string& address,
                          std::vector<std::string>& clientNos, SignInOutcome& outcome, std::string& error) {
  clientNos.clear();
  int64_t now = EpochSeconds();
  int64_t failures = 0;
  std::vector<std::pair<std::string, std::string>> accounts;  // client number, password hash
  {
    ConnectionPool::Lease db = reads.Borrow();
    if (!CountOf(*db, FAILURES_SQL, {address, now - rules_.failureWindow.count()}, failures, error)) return false;
    if (failures >= rules_.failureLimit) {
      outcome = SignInOutcome::Throttled;
      return true;
    }
    auto collect = [&accounts](const ResultRow& row) { accounts.emplace_back(row.Text(0), row.Text(1)); };
    if (!db->Run(ACCOUNTS_SQL, {userId}, collect, error)) return false;
  }
  // The slow hash checks hold no connection.
  if (accounts.empty()) SpendVerificationTime(password);
  for (const auto& [clientNo, hash] : accounts) {
    if (cache_.Knows(hash, password)) {
      clientNos.push_back(clientNo);
    } else if (VerifyPassword(hash, password)) {
      cache_.Remember(hash, password);
      clientNos.push_back(clientNo);
    }
  }
  outcome = clientNos.empty() ? SignInOutcome::Refused : SignInOutcome::Accepted;
  ConnectionPool::Lease db = writes.Borrow();
  return RunInTransaction(
      *db,
      [&](std::string& failure) {
        if (clientNos.empty()) {
          return db->Run(RECORD_FAILURE_SQL, {address, now}, nullptr, failure) &&
                 db->Run(FORGET_FAILURES_SQL, {now - rules_.failureWindow.count()}, nullptr, failure);
        }
        for (const std::string& clientNo : clientNos) {
          if (!db->Run(RECORD_SIGN_IN_SQL, {clientNo, address, now}, nullptr, failure)) return false;
        }
        if (clientNos.size() == 1 && !db->Run(PUT_OTHERS_BEHIND_SQL, {address, clientNos[0], now}, nullptr, failure)) {
          return false;
        }
        return db->Run(FORGET_SIGN_INS_SQL, {now - rules_.usageWindow.count()}, nullptr, failure);
      },
      error);
}

bool FailedSignIns(Connection& db, int64_t since, const RowHandler& onAddress, std::string& error) {
  return db.Run(FAILURES_BY_ADDRESS_SQL, {since}, onAddress, error);
}

bool ForgetFailedSignIns(Connection& db, const std::string& address, std::string& error) {
  return db.Run(FORGET_FAILURES_OF_SQL, {address}, nullptr, error);
}
