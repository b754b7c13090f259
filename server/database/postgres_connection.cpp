#include "server/database/postgres_connection.h"

#include <poll.h>

#include <cerrno>
#include <cstdlib>

namespace {

// Both limits together bound how long a request can wait for the database.
constexpr const char* CONNECT_TIMEOUT_SECONDS = "5";
constexpr auto STATEMENT_TIME_LIMIT = std::chrono::seconds(10);
// The same limit on the database's side, so a statement that outlives our
// wait does not keep running there.
constexpr const char* SERVER_TIME_LIMIT = "SET statement_timeout = 10000";
// Distinct statements kept prepared per connection (see the SQLite twin).
constexpr size_t MAX_PREPARED_STATEMENTS = 64;
constexpr Oid INT8_TYPE = 20;
constexpr Oid TEXT_TYPE = 25;
// COPY data is sent in pieces of about this size.
constexpr size_t COPY_PIECE_BYTES = 1 << 16;

struct ResultDeleter {
  void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

class PostgresRow : public ResultRow {
 public:
  PostgresRow(const PGresult* result, int row) : result_(result), row_(row) {}
  int ColumnCount() const override { return PQnfields(result_); }
  bool IsNull(int column) const override { return PQgetisnull(result_, row_, column) != 0; }
  std::string_view Text(int column) const override {
    return {PQgetvalue(result_, row_, column), static_cast<size_t>(PQgetlength(result_, row_, column))};
  }
  int64_t Integer(int column) const override { return std::strtoll(PQgetvalue(result_, row_, column), nullptr, 10); }
  void AppendTo(int column, std::string& out) const override { out += Text(column); }

 private:
  const PGresult* result_;
  int row_;
};

// libpq's messages end in a line feed and may run over several lines; a
// reason is one line.
std::string FirstLine(const char* message) {
  std::string text = message ? message : "";
  size_t end = text.find('\n');
  return end == std::string::npos ? text : text.substr(0, end);
}

std::string ResultError(const PGresult* result) {
  const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  return primary ? primary : FirstLine(PQresultErrorMessage(result));
}

}  // namespace

std::unique_ptr<PostgresConnection> PostgresConnection::Open(const std::string& conninfo, bool bounded,
                                                             std::string& error) {
  std::unique_ptr<PostgresConnection> connection(new PostgresConnection(conninfo, bounded));
  if (!connection->Connect(error)) return nullptr;
  return connection;
}

PostgresConnection::~PostgresConnection() { Drop(); }

bool PostgresConnection::Connect(std::string& error) {
  // Keywords are applied in order: the caller's connection string may
  // override the default time limit, but the text encoding is always ours.
  const char* const keywords[] = {"connect_timeout", "dbname", "client_encoding", nullptr};
  const char* const values[] = {CONNECT_TIMEOUT_SECONDS, conninfo_.c_str(), "UTF8", nullptr};
  conn_.reset(PQconnectdbParams(keywords, values, 1));
  if (conn_ == nullptr || PQstatus(conn_.get()) != CONNECTION_OK) {
    error = "cannot connect to the database: " + FirstLine(conn_ ? PQerrorMessage(conn_.get()) : "out of memory");
    Drop();
    return false;
  }
  PQsetnonblocking(conn_.get(), 1);
  // Notices ("... does not exist, skipping") are no failures; libpq would
  // print them on standard error.
  PQsetNoticeProcessor(conn_.get(), [](void*, const char*) {}, nullptr);
  if (bounded_ && !Command(SERVER_TIME_LIMIT, Deadline(), error)) {
    Drop();
    return false;
  }
  return true;
}

bool PostgresConnection::EnsureConnected(std::string& error) {
  if (conn_ != nullptr && PQstatus(conn_.get()) == CONNECTION_OK) {
    // An idle connection has nothing to read unless the server closed it
    // (a restart, an administrator's command): start over then.
    pollfd idle{PQsocket(conn_.get()), POLLIN, 0};
    if (poll(&idle, 1, 0) == 0) return true;
    // Inside a transaction a fresh connection would run the rest of it
    // without the part already sent.
    if (PQtransactionStatus(conn_.get()) != PQTRANS_IDLE) return Failed("the database connection was lost", error);
  }
  Drop();
  return Connect(error);
}

void PostgresConnection::Drop() {
  conn_.reset();
  prepared_.clear();
}

PostgresConnection::Clock::time_point PostgresConnection::Deadline() const {
  return bounded_ ? Clock::now() + STATEMENT_TIME_LIMIT : Clock::time_point::max();
}

bool PostgresConnection::WaitForSocket(bool forWrite, Clock::time_point deadline) {
  pollfd watch{PQsocket(conn_.get()), static_cast<short>(forWrite ? POLLIN | POLLOUT : POLLIN), 0};
  int result;
  do {
    int timeoutMs = -1;
    if (deadline != Clock::time_point::max()) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      timeoutMs = left > 0 ? static_cast<int>(left) : 0;
    }
    result = poll(&watch, 1, timeoutMs);
  } while (result < 0 && errno == EINTR);
  if (result <= 0) return false;
  if (forWrite && (watch.revents & POLLIN)) return PQconsumeInput(conn_.get()) != 0;
  return true;
}

bool PostgresConnection::Flush(Clock::time_point deadline) {
  for (;;) {
    int pending = PQflush(conn_.get());
    if (pending == 0) return true;
    if (pending < 0 || !WaitForSocket(true, deadline)) return false;
  }
}

bool PostgresConnection::Failed(const std::string& what, std::string& error) {
  error = what;
  if (conn_ != nullptr && PQstatus(conn_.get()) != CONNECTION_OK) error += ": " + FirstLine(PQerrorMessage(conn_.get()));
  Drop();
  return false;
}

bool PostgresConnection::CollectResults(const RowHandler& onRow, Clock::time_point deadline, std::string& error) {
  bool succeeded = true;
  for (;;) {
    while (PQisBusy(conn_.get())) {
      if (!WaitForSocket(false, deadline)) return Failed("the database did not answer in time", error);
      if (!PQconsumeInput(conn_.get())) return Failed("the database connection was lost", error);
    }
    Result result(PQgetResult(conn_.get()));
    if (!result) break;
    ExecStatusType status = PQresultStatus(result.get());
    if (status == PGRES_TUPLES_OK) {
      if (onRow) {
        for (int row = 0; row < PQntuples(result.get()); ++row) onRow(PostgresRow(result.get(), row));
      }
    } else if (status != PGRES_COMMAND_OK && status != PGRES_EMPTY_QUERY) {
      if (succeeded) error = ResultError(result.get());
      succeeded = false;
    }
  }
  if (PQstatus(conn_.get()) != CONNECTION_OK) return Failed("the database connection was lost", error);
  return succeeded;
}

std::string PostgresConnection::PreparedName(const std::string& sql, const std::vector<SqlParam>& params,
                                             Clock::time_point deadline, std::string& error) {
  auto found = prepared_.find(sql);
  if (found != prepared_.end()) return found->second;
  if (prepared_.size() >= MAX_PREPARED_STATEMENTS) {
    if (!Command("DEALLOCATE ALL", deadline, error)) return "";
    prepared_.clear();
  }
  std::string name = "s" + std::to_string(prepared_.size());
  std::vector<Oid> types;
  for (const SqlParam& param : params) types.push_back(std::holds_alternative<int64_t>(param) ? INT8_TYPE : TEXT_TYPE);
  if (!PQsendPrepare(conn_.get(), name.c_str(), sql.c_str(), static_cast<int>(types.size()), types.data()) ||
      !Flush(deadline)) {
    Failed("cannot send to the database", error);
    return "";
  }
  if (!CollectResults(nullptr, deadline, error)) return "";
  prepared_.emplace(sql, name);
  return name;
}

bool PostgresConnection::Run(const std::string& sql, const std::vector<SqlParam>& params, const RowHandler& onRow,
                             std::string& error) {
  Clock::time_point deadline = Deadline();
  if (!EnsureConnected(error)) return false;
  std::vector<std::string> texts;
  texts.reserve(params.size());
  for (const SqlParam& param : params) {
    if (const int64_t* number = std::get_if<int64_t>(&param)) {
      texts.push_back(std::to_string(*number));
    } else {
      texts.emplace_back(std::get<std::string_view>(param));
      if (texts.back().find('\0') != std::string::npos) {
        error = "a text value holds a NUL byte";
        return false;
      }
    }
  }
  std::vector<const char*> values;
  for (const std::string& text : texts) values.push_back(text.c_str());
  std::string name = PreparedName(sql, params, deadline, error);
  if (name.empty()) return false;
  if (!PQsendQueryPrepared(conn_.get(), name.c_str(), static_cast<int>(values.size()), values.data(), nullptr, nullptr,
                           0) ||
      !Flush(deadline)) {
    return Failed("cannot send to the database", error);
  }
  return CollectResults(onRow, deadline, error);
}

bool PostgresConnection::Command(const std::string& sql, Clock::time_point deadline, std::string& error) {
  if (!PQsendQuery(conn_.get(), sql.c_str()) || !Flush(deadline)) return Failed("cannot send to the database", error);
  return CollectResults(nullptr, deadline, error);
}

bool PostgresConnection::Exec(const std::string& sql, std::string& error) {
  return EnsureConnected(error) && Command(sql, Deadline(), error);
}

bool PostgresConnection::InsertIntegerRows(const std::string& table, size_t columns, const std::vector<int>& values,
                                           std::string& error) {
  if (columns == 0 || values.size() % columns != 0) {
    error = "rows for " + table + " do not fill whole rows";
    return false;
  }
  Clock::time_point deadline = Deadline();
  if (!EnsureConnected(error)) return false;
  std::string copy = "COPY " + table + " FROM STDIN";
  if (!PQsendQuery(conn_.get(), copy.c_str()) || !Flush(deadline)) return Failed("cannot send to the database", error);
  while (PQisBusy(conn_.get())) {
    if (!WaitForSocket(false, deadline) || !PQconsumeInput(conn_.get())) return Failed("cannot start " + copy, error);
  }
  Result started(PQgetResult(conn_.get()));
  if (!started || PQresultStatus(started.get()) != PGRES_COPY_IN) {
    error = started ? ResultError(started.get()) : "cannot start " + copy;
    CollectResults(nullptr, deadline, error);
    return false;
  }
  auto send = [&](const std::string& piece) {
    int sent;
    while ((sent = PQputCopyData(conn_.get(), piece.data(), static_cast<int>(piece.size()))) == 0) {
      if (!WaitForSocket(true, deadline)) return false;
    }
    return sent > 0;
  };
  std::string piece;
  for (size_t i = 0; i < values.size(); ++i) {
    piece += std::to_string(values[i]);
    piece += (i + 1) % columns == 0 ? '\n' : '\t';
    if (piece.size() >= COPY_PIECE_BYTES && (i + 1) % columns == 0) {
      if (!send(piece)) return Failed("cannot send rows to the database", error);
      piece.clear();
    }
  }
  if (!piece.empty() && !send(piece)) return Failed("cannot send rows to the database", error);
  int ended;
  while ((ended = PQputCopyEnd(conn_.get(), nullptr)) == 0) {
    if (!WaitForSocket(true, deadline)) return Failed("cannot end " + copy, error);
  }
  if (ended < 0 || !Flush(deadline)) return Failed("cannot end " + copy, error);
  return CollectResults(nullptr, deadline, error);
}
