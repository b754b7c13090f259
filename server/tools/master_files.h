// The viewer's master files, written from the database: M_BLOCK.dat,
// M_TOFUKEN.dat, M_CHITEN.dat, M_KISYU.dat, M_A_YEAR.dat and Chiten.csv, in
// Shift-JIS with CR LF, so the install folder's pick lists list exactly the
// stations and years the server holds.
#pragma once

#include <string>

#include "server/database/connection.h"

// Writes the six files into the existing `folder`: blocks by code,
// prefectures by block and code, stations by block, prefecture and number;
// the six period types; every year from the first to the last year of the
// daily observations (none when there are none). Returns false with `error`
// set.
bool WriteMasterFiles(Connection& db, const std::string& folder, std::string& error);
