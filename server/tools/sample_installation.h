// Writes the sample installation's data: the server database (accounts,
// empty usage ledger, observation tables) and the master files the viewer
// reads, all from the same sample stations so that they agree.
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

// Writes M_BLOCK.dat, M_TOFUKEN.dat, M_CHITEN.dat, M_KISYU.dat, M_A_YEAR.dat
// and Chiten.csv into the existing folder `folder`: Shift-JIS, lines ended
// by CR LF. Returns false with `error` set on failure.
bool WriteMasterFiles(const std::string& folder, std::string& error);
