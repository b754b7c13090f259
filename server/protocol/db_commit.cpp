#include "server/protocol/db_commit.h"

#include <strings.h>

#include "server/text/local_time.h"
#include "server/text/text_encoding.h"

namespace {

constexpr char FIELD_PREFIX[] = "sql=";
constexpr size_t FIELD_PREFIX_LENGTH = sizeof FIELD_PREFIX - 1;
constexpr char BEGIN_WORD[] = "BEGIN";
constexpr size_t BEGIN_WORD_LENGTH = sizeof BEGIN_WORD - 1;
constexpr char COMMIT_WORD[] = "COMMIT";
constexpr size_t COMMIT_WORD_LENGTH = sizeof COMMIT_WORD - 1;
constexpr const char* OK_LINE = "OK\n";
constexpr const char* STATEMENT_END_LINE = ";\n";
// An empty month reads as a count of zero rather than an empty line.
constexpr const char* EMPTY_SUM = "0";

bool OnlyBlanks(const char* text, const char* end) {
  for (; text < end; ++text) {
    if (!IsSqlBlank(*text)) return false;
  }
  return true;
}

// Takes the statement out of "BEGIN;<statement>COMMIT;" (keywords in any
// letter case, white space allowed around them). The programs add this
// framing themselves; the server runs its own transaction around the
// statement instead of executing client text for it.
bool Unframe(const std::string& sql, std::string& statement) {
  size_t begin = 0;
  while (begin < sql.size() && IsSqlBlank(sql[begin])) ++begin;
  if (strncasecmp(sql.c_str() + begin, BEGIN_WORD, BEGIN_WORD_LENGTH) != 0) return false;
  begin += BEGIN_WORD_LENGTH;
  while (begin < sql.size() && IsSqlBlank(sql[begin])) ++begin;
  if (begin >= sql.size() || sql[begin] != ';') return false;
  ++begin;

  size_t end = sql.size();
  while (end > begin && IsSqlBlank(sql[end - 1])) --end;
  if (end == begin || sql[end - 1] != ';') return false;
  --end;
  while (end > begin && IsSqlBlank(sql[end - 1])) --end;
  if (end < begin + COMMIT_WORD_LENGTH ||
      strncasecmp(sql.c_str() + end - COMMIT_WORD_LENGTH, COMMIT_WORD, COMMIT_WORD_LENGTH) != 0) {
    return false;
  }
  end -= COMMIT_WORD_LENGTH;
  statement = sql.substr(begin, end - begin);
  return true;
}

// A reply row: the values joined by ",", ended by a line feed.
void AppendRow(const ResultRow& row, std::string& reply) {
  for (int i = 0; i < row.ColumnCount(); ++i) {
    if (i > 0) reply += ',';
    row.AppendTo(i, reply);
  }
  reply += '\n';
}

// What a client is told when the database failed; the reason goes to the log.
constexpr const char* DATABASE_FAILED = "the request could not be carried out";

ServiceReply Refused(const char* kind, const std::string& reason, const std::string& detail) {
  return {ErrorReply(reason), kind, "refused: " + detail};
}

ServiceReply Failed(const char* kind, const std::string& error) {
  return {ErrorReply(DATABASE_FAILED), kind, "failed: " + error};
}

}  // namespace

std::string ErrorReply(const std::string& reason) { return "ERROR: " + reason + "\n"; }

ServiceReply DbCommitService::Run(const std::string& body, const std::string& address) {
  if (body.size() > MAX_REQUEST_BYTES) return Refused("-", "request body too large", "body too large");
  if (body.compare(0, FIELD_PREFIX_LENGTH, FIELD_PREFIX) != 0) {
    return Refused("-", "the request has no sql field", "no sql field");
  }
  std::string sql;
  if (!Cp932ToUtf8(body.substr(FIELD_PREFIX_LENGTH), sql)) {
    return Refused("-", "the request is not Shift-JIS text", "not Shift-JIS");
  }
  std::string statement;
  if (!Unframe(sql, statement)) {
    return Refused("-", "the statements must be framed by BEGIN; and COMMIT;", "not framed");
  }
  if (OnlyBlanks(statement.data(), statement.data() + statement.size())) return {OK_LINE, "empty"};

  Request request;
  std::string reason;
  if (!ParseRequest(statement, request, reason)) return Refused("-", reason, reason);
  return std::visit([this, &address](const auto& typed) { return Answer(typed, address); }, request);
}

ServiceReply DbCommitService::Answer(const SignInRequest& request, const std::string& address) {
  constexpr const char* KIND = "sign-in";
  std::vector<std::string> clientNos;
  SignInOutcome outcome;
  std::string error;
  if (!store_.SignIn(request.userId, request.password, address, clientNos, outcome, error)) return Failed(KIND, error);
  std::string reply = OK_LINE;
  for (const std::string& clientNo : clientNos) reply += Utf8ToCp932(clientNo) + "\n";
  const char* result = outcome == SignInOutcome::Accepted  ? "ok"
                       : outcome == SignInOutcome::Refused ? "refused: no such account"
                                                           : "refused: throttled";
  return {reply + STATEMENT_END_LINE, KIND, result};
}

ServiceReply DbCommitService::Answer(const UsageRecordRequest& request, const std::string& address) {
  constexpr const char* KIND = "usage";
  UsageOutcome outcome;
  std::string error;
  if (!store_.RecordUsage(request.clientNo, request.dataTotal, LocalTimestamp(), address, outcome, error)) {
    return Failed(KIND, error);
  }
  if (outcome == UsageOutcome::NotSignedIn) return Refused(KIND, "usage record not accepted", "not signed in");
  return {std::string(OK_LINE) + STATEMENT_END_LINE, KIND};
}

ServiceReply DbCommitService::Answer(const MonthlyUsageRequest& request, const std::string&) {
  constexpr const char* KIND = "monthly-usage";
  std::string sum, error;
  if (!store_.MonthlyUsage(request.clientNo, request.feedayPattern, sum, error)) return Failed(KIND, error);
  return {std::string(OK_LINE) + (sum.empty() ? EMPTY_SUM : sum) + "\n" + STATEMENT_END_LINE, KIND};
}

// Observation rows hold numbers only, so the reply needs no conversion.
ServiceReply DbCommitService::Answer(const ObservationRequest& request, const std::string& address) {
  constexpr const char* KIND = "observation";
  std::string reply = OK_LINE, error;
  ReadOutcome outcome;
  size_t rows = 0;
  auto append = [&](const ResultRow& row) {
    AppendRow(row, reply);
    ++rows;
  };
  if (!store_.ObservationRowsFor(request, address, LocalTimestamp().substr(0, DAY_TEXT_LENGTH), append, outcome,
                                 error)) {
    return Failed(KIND, error);
  }
  if (outcome == ReadOutcome::NotSignedIn) return Refused(KIND, NOT_SIGNED_IN_REASON, "not signed in");
  if (outcome == ReadOutcome::AllowanceReached) return Refused(KIND, ALLOWANCE_REACHED_REASON, "allowance reached");
  return {reply + STATEMENT_END_LINE, KIND, "ok", rows};
}
