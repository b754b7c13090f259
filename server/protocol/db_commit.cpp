#include "server/protocol/db_commit.h"

#include <strings.h>

#include "server/protocol/text_encoding.h"

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

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool OnlyBlanks(const char* text, const char* end) {
  for (; text < end; ++text) {
    if (!IsBlank(*text)) return false;
  }
  return true;
}

// Takes the statement out of "BEGIN;<statement>COMMIT;" (keywords in any
// letter case, white space allowed around them). The programs add this
// framing themselves; the server runs its own transaction around the
// statement instead of executing client text for it.
bool Unframe(const std::string& sql, std::string& statement) {
  size_t begin = 0;
  while (begin < sql.size() && IsBlank(sql[begin])) ++begin;
  if (strncasecmp(sql.c_str() + begin, BEGIN_WORD, BEGIN_WORD_LENGTH) != 0) return false;
  begin += BEGIN_WORD_LENGTH;
  while (begin < sql.size() && IsBlank(sql[begin])) ++begin;
  if (begin >= sql.size() || sql[begin] != ';') return false;
  ++begin;

  size_t end = sql.size();
  while (end > begin && IsBlank(sql[end - 1])) --end;
  if (end == begin || sql[end - 1] != ';') return false;
  --end;
  while (end > begin && IsBlank(sql[end - 1])) --end;
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

}  // namespace

std::string ErrorReply(const std::string& reason) { return "ERROR: " + reason + "\n"; }

std::string DbCommitService::Run(const std::string& body) {
  if (body.size() > MAX_REQUEST_BYTES) return ErrorReply("request body too large");
  if (body.compare(0, FIELD_PREFIX_LENGTH, FIELD_PREFIX) != 0) return ErrorReply("the request has no sql field");
  std::string sql;
  if (!Cp932ToUtf8(body.substr(FIELD_PREFIX_LENGTH), sql)) return ErrorReply("the request is not Shift-JIS text");
  std::string statement;
  if (!Unframe(sql, statement)) return ErrorReply("the statements must be framed by BEGIN; and COMMIT;");
  if (OnlyBlanks(statement.data(), statement.data() + statement.size())) return OK_LINE;

  Request request;
  std::string reason;
  if (!ParseRequest(statement, request, reason)) return ErrorReply(reason);
  return std::visit([this](const auto& typed) { return Answer(typed); }, request);
}

std::string DbCommitService::Answer(const SignInRequest& request) {
  std::vector<std::string> clientNos;
  std::string error;
  if (!store_.SignIn(request.userId, request.password, clientNos, error)) return ErrorReply(error);
  std::string reply = OK_LINE;
  for (const std::string& clientNo : clientNos) reply += Utf8ToCp932(clientNo) + "\n";
  return reply + STATEMENT_END_LINE;
}

std::string DbCommitService::Answer(const UsageRecordRequest& request) {
  std::string error;
  if (!store_.RecordUsage(request.clientNo, request.dataTotal, LocalTimestamp(), error)) return ErrorReply(error);
  return std::string(OK_LINE) + STATEMENT_END_LINE;
}

std::string DbCommitService::Answer(const MonthlyUsageRequest& request) {
  std::string sum, error;
  if (!store_.MonthlyUsage(request.clientNo, request.feedayPattern, sum, error)) return ErrorReply(error);
  return std::string(OK_LINE) + (sum.empty() ? EMPTY_SUM : sum) + "\n" + STATEMENT_END_LINE;
}

// Observation rows hold numbers only, so the reply needs no conversion.
std::string DbCommitService::Answer(const ObservationRequest& request) {
  std::string reply = OK_LINE, error;
  if (!store_.ObservationRows(request, [&reply](const ResultRow& row) { AppendRow(row, reply); }, error)) {
    return ErrorReply(error);
  }
  return reply + STATEMENT_END_LINE;
}
