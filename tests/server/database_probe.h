// Direct reads and writes of a server database file, to prepare accounts
// and to check what requests did, independently of the server.
#pragma once

#include <string>

// Runs `sql` on the database file and returns every result row as its
// values joined by "|", each row ended by "\n" (NULL as "NULL"). On an SQL
// error returns "SQL ERROR: <message>".
std::string QueryDatabase(const std::string& path, const std::string& sql);

// A fingerprint of everything a refused request must leave alone: the
// schema, the accounts, the ledger and the size of every observation table.
std::string DatabaseSnapshot(const std::string& path);
