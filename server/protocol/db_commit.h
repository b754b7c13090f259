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

// The reasons an observation request is refused before anything is read:
// no account signed in from the client's address lately, or the client's
// rows this month reached its allowance. The viewer knows the second by
// its text and tells the user in words of its own.
constexpr const char* NOT_SIGNED_IN_REASON = "observations are served after a sign-in only";
constexpr const char* ALLOWANCE_REACHED_REASON = "the monthly allowance of rows is used up";

// A reply, and what the access log says of the request.
struct ServiceReply {
  std::string body;              // as the programs read it: "OK" and rows, or one "ERROR: " line
  const char* kind = "-";        // "sign-in", "usage", "monthly-usage", "observation", or "-"
  std::string outcome = "ok";    // "ok", "refused: <why>" or "failed: <database's reason>"
  size_t rows = 0;               // observation rows in the body
};

class DbCommitService {
 public:
  // `store` stays owned by the caller and must outlive the service.
  explicit DbCommitService(Store& store) : store_(store) {}

  // Runs one request body exactly as posted (nothing percent-decoded) for
  // the client at `address`. A refusal answers a short, generic reason (no
  // table, column or text of the request); the detail is in `outcome`.
  // Safe to call from several threads at once.
  ServiceReply Run(const std::string& body, const std::string& address);

 private:
  ServiceReply Answer(const SignInRequest& request, const std::string& address);
  ServiceReply Answer(const UsageRecordRequest& request, const std::string& address);
  ServiceReply Answer(const MonthlyUsageRequest& request, const std::string& address);
  ServiceReply Answer(const ObservationRequest& request, const std::string& address);

  Store& store_;
};

// The reply line for a failure: "ERROR: " + reason + "\n".
std::string ErrorReply(const std::string& reason);
