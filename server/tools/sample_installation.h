// Writes the sample installation's data: the server database (the demo
// account, an empty usage ledger, the station list and the observation
// tables of the sample stations); its master files are written from it
// (master_files.h), so they agree.
#pragma once

#include <string>

// The demo account of the sample database.
constexpr const char* DEMO_USER_ID = "demo";
constexpr const char* DEMO_PASSWORD = "tarvex";
constexpr const char* DEMO_CLIENT_NO = "10001";

// Writes the sample database to `database`: a SQLite file, replacing any
// file there only once the new one is complete, or an empty PostgreSQL
// database (a connection string), filled in one transaction. Returns false
// with `error` set on failure.
bool WriteSampleDatabase(const std::string& database, std::string& error);
