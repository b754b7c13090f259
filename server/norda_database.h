// The reference server's SQLite database: its schema, and the settings of
// the connection that runs the programs' statements.
#pragma once

#include <sqlite3.h>

#include <string>

// Creates the account table, the usage ledger and the six observation
// tables with their indexes. Returns false with `error` set on failure.
bool CreateSchema(sqlite3* db, std::string& error);

// Opens the database file for serving (it must exist and hold the schema)
// and locks the connection down: now() registered, an authorizer that allows
// reading the account, ledger and observation tables and inserting into the
// ledger only, no attached databases, defensive mode, a busy timeout.
// Returns the connection, or nullptr with `error` set.
sqlite3* OpenServingDatabase(const std::string& path, std::string& error);
