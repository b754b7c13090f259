// The server's tables on either engine: the account table, the usage ledger
// and the six observation tables, with the same columns, keys and checks.
// Texts compare byte by byte on both engines.
#pragma once

#include <string>

#include "server/store/connection.h"

// Creates every table and index in one transaction. Returns false with
// `error` set (nothing created) when it fails, for instance because the
// tables exist already.
bool CreateSchema(Connection& connection, std::string& error);

// True when the database holds the account table, so a mistyped database
// name is not served as an empty service.
bool HoldsSchema(Connection& connection);
