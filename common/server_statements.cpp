#include "common/server_statements.h"

std::string QuoteSqlText(const std::string& value) {
  std::string quoted;
  quoted.reserve(value.size());
  for (char c : value) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted;
}

std::string SignInStatement(const std::string& userId, const std::string& password) {
  return "SELECT client_no FROM client_mt WHERE user_id = '" + QuoteSqlText(userId) +
         "' AND password = '" + QuoteSqlText(password) + "';";
}

std::string UsageRecordStatement(const std::string& clientNo, int rowCount) {
  return "INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('" + QuoteSqlText(clientNo) +
         "',now(),'" + std::to_string(rowCount) + "');";
}

std::string MonthlyUsageStatement(const std::string& clientNo, const std::string& yearMonth) {
  return "SELECT SUM(data_total) FROM fee_history_dt where client_no = '" + QuoteSqlText(clientNo) +
         "' AND feeday LIKE '" + QuoteSqlText(yearMonth) + "%';";
}
