// The SQL of the six observation queries: one statement per station that
// covers the whole period, split into up to five SELECTs joined by " UNION "
// where the period crosses a month or year boundary. The station number and
// the period fields go in unchanged and unquoted ("05" stays "05").
#pragma once

#include <string>

#include "viewer/base/period_fields.h"

// Daily values, table st_data_h (year d2, month d3, day d7).
std::string DailyStatement(const char* station, const char* periodFrom, const char* periodTo);

// Pentads of the year, table st_data_th (year d1, pentad d2).
std::string YearRoundPentadStatement(const char* station, const char* periodFrom,
                                     const char* periodTo);

// Pentads of the month, table st_data_rh (year d1, month d2, pentad d3).
std::string CalendarPentadStatement(const char* station, const char* periodFrom,
                                    const char* periodTo);

// Ten-day parts of the month, table st_data_j (year d1, month d2, part d3).
std::string TenDayStatement(const char* station, const char* periodFrom, const char* periodTo);

// Monthly values, table st_data_t (year d1, month d2).
std::string MonthlyStatement(const char* station, const char* periodFrom, const char* periodTo);

// The statement of `periodType` for one station.
std::string StationStatement(PeriodType periodType, const char* station, const char* periodFrom, const char* periodTo);

// Yearly values, table st_data_n (year d1).
std::string YearlyStatement(const char* station, const char* periodFrom, const char* periodTo);
