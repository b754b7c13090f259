// The three account and ledger statements both programs send over the
// ServerLink, built in one place. Every value goes between single quotes with
// each quote inside it doubled, so a quote in a password can neither break
// the statement nor change it; values without quotes give the plain texts.
#pragma once

#include <cstddef>
#include <string>

// Length of a client number in the account table; the sign-in reply starts
// with it.
constexpr size_t CLIENT_NUMBER_LENGTH = 5;

// "SELECT client_no FROM client_mt WHERE user_id = '<id>' AND password = '<pw>';"
std::string SignInStatement(const std::string& userId, const std::string& password);

// "INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('<no>',now(),'<rows>');"
std::string UsageRecordStatement(const std::string& clientNo, int rowCount);

// "SELECT SUM(data_total) FROM fee_history_dt where client_no = '<no>' AND feeday LIKE '<YYYY-MM>%';"
std::string MonthlyUsageStatement(const std::string& clientNo, const std::string& yearMonth);

// Returns `value` with every single quote doubled (SQL literal escaping).
std::string QuoteSqlText(const std::string& value);
