// One connection to the server's database, whichever engine holds it: the
// embedded SQLite file or a PostgreSQL server. Everything above this layer
// writes its SQL once, with "$1", "$2", ... as placeholders for bound values,
// and never puts a client's text into SQL.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

enum class Engine { Sqlite, Postgres };

// A value bound to a placeholder: a whole number or a UTF-8 text.
using SqlParam = std::variant<int64_t, std::string_view>;

// One result row, valid only during the callback that receives it.
class ResultRow {
 public:
  virtual int ColumnCount() const = 0;
  virtual bool IsNull(int column) const = 0;
  // The value as UTF-8 text: a number in decimal, NULL as "".
  virtual std::string_view Text(int column) const = 0;
  // The value as a whole number; a text that is not one reads as 0.
  virtual int64_t Integer(int column) const = 0;
  // Appends the value as a reply shows it (decimal numbers, texts as they
  // are, NULL as nothing), without a detour through a temporary text.
  virtual void AppendTo(int column, std::string& out) const = 0;

 protected:
  ~ResultRow() = default;
};

using RowHandler = std::function<void(const ResultRow&)>;

class Connection {
 public:
  Connection() = default;
  virtual ~Connection() = default;
  // A connection owns its engine's handle: never copied, never shared.
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  virtual Engine Kind() const = 0;

  // Runs one statement with `params` bound to $1, $2, ...; each result row
  // goes to `onRow` (may be empty for statements without rows). Statements
  // are prepared once per connection and kept. Returns false with `error`
  // set when the statement fails; rows already handed over stay handed over.
  virtual bool Run(const std::string& sql, const std::vector<SqlParam>& params, const RowHandler& onRow,
                   std::string& error) = 0;

  // Runs statements that take no values and give no rows (schema,
  // transaction control), several separated by ";". Returns false with
  // `error` set at the first failure.
  virtual bool Exec(const std::string& sql, std::string& error) = 0;

  // Appends rows of whole numbers to `table`, `columns` values a row, in
  // the table's column order (`values` holds the rows one after the other).
  // The fast road for loading observations. Returns false with `error` set.
  virtual bool InsertIntegerRows(const std::string& table, size_t columns, const std::vector<int>& values,
                                 std::string& error) = 0;
};

// Runs `body` in a transaction that may write, on `connection`. When `body` returns
// false (with its error set) or the commit fails, rolls back and returns
// false with `error` set.
bool RunInTransaction(Connection& connection, const std::function<bool(std::string& error)>& body,
                      std::string& error);

// Runs a statement whose one row holds one whole number, into `count` (0
// when it gives no row). Returns false with `error` set when it fails.
bool CountOf(Connection& connection, const char* sql, const std::vector<SqlParam>& params, int64_t& count,
             std::string& error);

// True when `database` names a PostgreSQL database (a "postgresql://" or
// "postgres://" URI, or a "key=value ..." connection string) rather than a
// SQLite file path.
bool IsPostgresTarget(const std::string& database);

// How a connection will be used: serving connections of a running server are
// bounded in time and, for SQLite, need the file to hold the schema already.
enum class ConnectionUse { Serving, Administration };

// Opens a connection to `database` (a SQLite path or a PostgreSQL
// connection string). A SQLite file must exist unless `use` is
// Administration. Returns nullptr with `error` set on failure.
std::unique_ptr<Connection> OpenConnection(const std::string& database, ConnectionUse use, std::string& error);
