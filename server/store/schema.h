// The server's tables on either engine: the account table, the usage ledger,
// the record of sign-ins (who signed in from where, and the failures per
// address), the rows the server delivered per client and day, the station list (blocks, prefectures, stations: what the
// master files list) and the six observation tables, with the same columns, keys and
// checks. Texts compare byte by byte on both engines. Passwords are kept as
// hashes only.
#pragma once

#include <string>

#include "server/database/connection.h"

// Creates every table and index in one transaction. Returns false with
// `error` set (nothing created) when it fails, for instance because the
// tables exist already.
bool CreateSchema(Connection& connection, std::string& error);

// Brings a database written by an earlier version up to date, in one
// transaction: creates the sign-in, station and delivery tables, adds the
// accounts' disabled and allowance columns and replaces every password kept in clear by its hash.
// Returns false with `error` set (nothing changed).
bool UpgradeSchema(Connection& connection, std::string& error);

// True when the database holds every table of the server and no password
// in clear; otherwise false with `problem` saying what is missing, so a
// mistyped database or one that needs UpgradeSchema is not served.
bool SchemaIsCurrent(Connection& connection, std::string& problem);
