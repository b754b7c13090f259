// The size of a query before it runs: how many rows its stations and
// periods come to, and whether the user is asked before they are fetched
// (the settings file's ConfirmRows).
#pragma once

#include <cstdint>
#include <string>

#include "viewer/base/period_fields.h"

// Above this many rows the viewer asks, when the settings file names no
// threshold of its own.
constexpr int64_t DEFAULT_CONFIRM_ROWS = 100'000;

// The rows a query of `stationCount` stations returns over `period`: one a
// station and period, as the report's table holds them (CountPeriods).
// Never below 0.
int64_t QueryRowCount(int stationCount, const Period& period);

// The threshold a value of the ConfirmRows key sets: its decimal digits
// (blanks around them allowed), 0 meaning never ask; DEFAULT_CONFIRM_ROWS
// for an empty value (the key missing) or one that is no whole number.
int64_t ConfirmRowsSetting(const std::string& value);

// True when a query of `rows` rows is to be confirmed under `threshold`
// (ConfirmRowsSetting): above it, and never for a threshold of 0.
bool AsksBeforeFetching(int64_t rows, int64_t threshold);

// The question the user answers with Yes or No, naming the rows.
std::string RowConfirmationQuestion(int64_t rows);
