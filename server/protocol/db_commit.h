// What the script "norda/dbcommit.php" does: takes the posted form body
// "sql=BEGIN;<statement>COMMIT;" in Shift-JIS, runs the statement in one
// transaction and gives back the reply body in Shift-JIS:
//   "OK\n", each result row as its values joined by "," and ended by "\n",
//   then ";\n" after the statement's rows;
// or one line "ERROR: <reason>\n" when anything failed, after which the
// database is as it was before the request.
#pragma once

#include <string>

#include "server/protocol/request_parser.h"
#include "server/store/store.h"

// Largest request body accepted, in bytes.
constexpr size_t MAX_REQUEST_BYTES = 1 << 20;

class DbCommitService {
 public:
  // `store` stays owned by the caller and must outlive the service.
  explicit DbCommitService(Store& store) : store_(store) {}

  // Runs one request body exactly as posted (nothing percent-decoded).
  // Safe to call from several threads at once.
  std::string Run(const std::string& body);

 private:
  std::string Answer(const SignInRequest& request);
  std::string Answer(const UsageRecordRequest& request);
  std::string Answer(const MonthlyUsageRequest& request);
  std::string Answer(const ObservationRequest& request);

  Store& store_;
};

// The reply line for a failure: "ERROR: " + reason + "\n".
std::string ErrorReply(const std::string& reason);
