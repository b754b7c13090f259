#include "server/db_commit.h"

#include <strings.h>

#include "server/text_encoding.h"

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

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void AppendRow(sqlite3_stmt* stmt, StatementKind kind, std::string& rows) {
  int columns = sqlite3_column_count(stmt);
  for (int i = 0; i < columns; ++i) {
    if (i > 0) rows += ',';
    const unsigned char* value = sqlite3_column_text(stmt, i);
    if (value) {
      rows.append(reinterpret_cast<const char*>(value), sqlite3_column_bytes(stmt, i));
    } else if (kind == StatementKind::MonthlyUsage) {
      rows += EMPTY_SUM;
    }
  }
  rows += '\n';
}

}  // namespace

std::string ErrorReply(const std::string& reason) { return "ERROR: " + reason + "\n"; }

DbCommitService::DbCommitService(sqlite3* db) : db_(db) {}

std::string DbCommitService::Run(const std::string& body) {
  if (body.size() > MAX_REQUEST_BYTES) return ErrorReply("request body too large");
  if (body.compare(0, FIELD_PREFIX_LENGTH, FIELD_PREFIX) != 0) return ErrorReply("the request has no sql field");
  std::string sql;
  if (!Cp932ToUtf8(body.substr(FIELD_PREFIX_LENGTH), sql)) return ErrorReply("the request is not Shift-JIS text");
  std::string statement;
  if (!Unframe(sql, statement)) return ErrorReply("the statements must be framed by BEGIN; and COMMIT;");
  if (OnlyBlanks(statement.data(), statement.data() + statement.size())) return OK_LINE;

  StatementKind kind;
  std::string reason;
  if (!ClassifyStatement(statement, kind, reason)) return ErrorReply(reason);
  std::lock_guard<std::mutex> lock(mutex_);
  return Utf8ToCp932(RunStatement(statement, kind));
}

// Runs one allowed statement in its own transaction; returns the reply in
// UTF-8. Called with the mutex held.
std::string DbCommitService::RunStatement(const std::string& statement, StatementKind kind) {
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db_, statement.c_str(), static_cast<int>(statement.size()), &stmt, &tail) !=
      SQLITE_OK) {
    return ErrorReply(sqlite3_errmsg(db_));
  }
  // SQLite's own parser must see the same single statement as the shape check.
  if (stmt == nullptr || !OnlyBlanks(tail, statement.data() + statement.size())) {
    sqlite3_finalize(stmt);
    return ErrorReply("only one statement may be sent at a time");
  }
  if (!Exec(db_, "BEGIN")) {
    std::string error = sqlite3_errmsg(db_);
    sqlite3_finalize(stmt);
    return ErrorReply(error);
  }
  std::string reply = OK_LINE;
  int step;
  while ((step = sqlite3_step(stmt)) == SQLITE_ROW) AppendRow(stmt, kind, reply);
  std::string error = step == SQLITE_DONE ? "" : sqlite3_errmsg(db_);
  sqlite3_finalize(stmt);
  if (error.empty() && !Exec(db_, "COMMIT")) error = sqlite3_errmsg(db_);
  if (!error.empty()) {
    Exec(db_, "ROLLBACK");
    return ErrorReply(error);
  }
  return reply + STATEMENT_END_LINE;
}
