// What to bill for a month: per client number its user IDs, the number of
// usage records and the rows they report (the usage ledger, written by the
// subscriber's program), beside the rows the server counted as delivered
// (its own tally). A client whose reports fall short of what it was served
// is marked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/database/connection.h"

struct BillingLine {
  std::string clientNo;
  std::string userIds;  // the account's user IDs, separated by blanks; empty for a client without one now
  int64_t records = 0;
  int64_t reportedRows = 0;
  int64_t deliveredRows = 0;

  bool ReportsTooFew() const { return reportedRows < deliveredRows; }
};

// The lines of `month` ("YYYY-MM"): every client with an account or with
// usage that month, by client number, then a line "total". A row recorded
// before counts were bounded counts MAX_USAGE_ROWS at most, as in the
// monthly sum the launcher shows. Returns false with `error` set for a
// malformed month or a failing database.
bool MonthlyBilling(Connection& db, const std::string& month, std::vector<BillingLine>& lines, std::string& error);

// The lines as CSV ("client_no,user_ids,usage_records,rows_reported,
// rows_delivered,short" and one line each, CR LF; short is "yes" for a
// client that reported fewer rows than it was delivered, else empty) or as
// an aligned table for a terminal, in UTF-8.
std::string BillingCsv(const std::vector<BillingLine>& lines);
std::string BillingTable(const std::vector<BillingLine>& lines);
