// What the script "norda/dbcommit.php" does: takes the posted form body
// "sql=BEGIN;<statement>COMMIT;" in Shift-JIS, runs the statement in one
// transaction and gives back the reply body in Shift-JIS:
//   "OK\n", each result row as its values joined by "," and ended by "\n",
//   then ";\n" after the statement's rows;
// or one line "ERROR: <reason>\n" when anything failed, after which the
// database is as it was before the request.
#pragma once

#include <sqlite3.h>

#include <mutex>
#include <string>

#include "server/statement_shape.h"

// Largest request body accepted, in bytes.
constexpr size_t MAX_REQUEST_BYTES = 1 << 20;

class DbCommitService {
 public:
  // `db` comes from OpenServingDatabase and stays owned by the caller; it
  // must outlive the service.
  explicit DbCommitService(sqlite3* db);

  // Runs one request body exactly as posted (nothing percent-decoded).
  // Safe to call from several threads; requests run one after the other.
  std::string Run(const std::string& body);

 private:
  std::string RunStatement(const std::string& statement, StatementKind kind);

  sqlite3* db_;
  std::mutex mutex_;
};

// The reply line for a failure: "ERROR: " + reason + "\n".
std::string ErrorReply(const std::string& reason);
