#include "server/accounts/accounts.h"

#include "server/accounts/account_rules.h"
#include "server/accounts/password_hash.h"
#include "server/text/text_encoding.h"

namespace {

constexpr size_t CLIENT_NO_CHARACTERS = 5;

size_t CharacterCount(const std::string& utf8) {
  size_t count = 0;
  for (char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// True when the text goes to Shift-JIS and back unchanged, as the programs
// must send it.
bool ProgramsCanSend(const std::string& utf8) {
  std::string back;
  return utf8.find('\0') == std::string::npos && Cp932ToUtf8(Utf8ToCp932(utf8), back) && back == utf8;
}

bool CheckPassword(const std::string& password, std::string& error) {
  if (password.empty()) error = "the password is empty";
  else if (!ProgramsCanSend(password)) error = "the password holds characters the programs cannot send";
  return error.empty();
}

// The one account of `userId`; false with `error` set when there is none.
bool HasAccount(Connection& db, const std::string& userId, std::string& error) {
  int64_t count = 0;
  if (!CountOf(db, "SELECT count(*) FROM client_mt WHERE user_id = $1", {userId}, count, error)) return false;
  if (count == 0) error = "no account has the user ID " + userId;
  return count > 0;
}

}  // namespace

bool CreateAccount(Connection& db, const std::string& userId, const std::string& clientNo,
                   const std::string& password, std::string& error) {
  int64_t taken = 0;
  if (CharacterCount(clientNo) != CLIENT_NO_CHARACTERS || !ProgramsCanSend(clientNo)) {
    error = "a client number is five characters the programs can send: \"" + clientNo + "\"";
    return false;
  }
  if (userId.empty() || !ProgramsCanSend(userId)) {
    error = "the user ID is empty or holds characters the programs cannot send";
    return false;
  }
  if (!CheckPassword(password, error)) return false;
  if (!CountOf(db, "SELECT count(*) FROM client_mt WHERE client_no = $1", {clientNo}, taken, error)) return false;
  if (taken > 0) {
    error = "the client number " + clientNo + " exists already";
    return false;
  }
  if (!CountOf(db, "SELECT count(*) FROM client_mt WHERE user_id = $1", {userId}, taken, error)) return false;
  if (taken > 0) {
    error = "the user ID " + userId + " exists already";
    return false;
  }
  std::string hash;
  return HashPassword(password, hash, error) &&
         db.Run("INSERT INTO client_mt(client_no, user_id, password) VALUES ($1, $2, $3)", {clientNo, userId, hash},
                nullptr, error);
}

bool ChangePassword(Connection& db, const std::string& userId, const std::string& password, std::string& error) {
  std::string hash;
  return CheckPassword(password, error) && HasAccount(db, userId, error) && HashPassword(password, hash, error) &&
         db.Run("UPDATE client_mt SET password = $1 WHERE user_id = $2", {hash, userId}, nullptr, error);
}

bool SetAccountDisabled(Connection& db, const std::string& userId, bool disabled, std::string& error) {
  return HasAccount(db, userId, error) &&
         db.Run("UPDATE client_mt SET disabled = $1 WHERE user_id = $2", {int64_t{disabled ? 1 : 0}, userId}, nullptr,
                error);
}

bool SetAllowance(Connection& db, const std::string& userId, bool limited, int64_t rows, std::string& error) {
  if (limited && (rows < 0 || rows > MAX_USAGE_ROWS)) {
    error = "an allowance is from 0 to " + std::to_string(MAX_USAGE_ROWS) + " rows";
    return false;
  }
  if (!HasAccount(db, userId, error)) return false;
  if (!limited) return db.Run("UPDATE client_mt SET allowance = NULL WHERE user_id = $1", {userId}, nullptr, error);
  return db.Run("UPDATE client_mt SET allowance = $1 WHERE user_id = $2", {rows, userId}, nullptr, error);
}

bool ListAccounts(Connection& db, const std::string& month, std::vector<AccountListing>& accounts,
                  std::string& error) {
  accounts.clear();
  return db.Run("SELECT c.client_no, c.user_id, c.disabled, c.allowance, "
                "(SELECT COALESCE(SUM(d.delivered_rows), 0) FROM delivery_dt d "
                "WHERE d.client_no = c.client_no AND d.delivered_on LIKE $1) "
                "FROM client_mt c ORDER BY c.client_no, c.user_id",
                {month + "-%"},
                [&accounts](const ResultRow& row) {
                  accounts.push_back({std::string(row.Text(0)), std::string(row.Text(1)), row.Integer(2) != 0,
                                      !row.IsNull(3), row.Integer(3), row.Integer(4)});
                },
                error);
}
