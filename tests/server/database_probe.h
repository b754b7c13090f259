// Direct reads and writes of a server database, to prepare accounts and to
// check what requests did, independently of the server. `database` is a
// SQLite file or a PostgreSQL connection string, as the server takes it.
#pragma once

#include <string>

// Runs the statements of `sql` (separated by ";") and returns every result row as its values joined by
// "|", each row ended by "\n" (NULL as "NULL"). On an error returns
// "SQL ERROR: <message>".
std::string QueryDatabase(const std::string& database, const std::string& sql);

// A fingerprint of everything a refused request must leave alone: the
// schema, the accounts, the ledger, the tally of delivered rows and the size of every observation table.
std::string DatabaseSnapshot(const std::string& database);

// Adds an account whose password is kept hashed, as the server keeps it.
// Returns "" or "SQL ERROR: <message>".
std::string AddAccount(const std::string& database, const std::string& clientNo, const std::string& userId,
                       const std::string& password);
