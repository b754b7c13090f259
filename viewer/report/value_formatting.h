// The texts of the report's data cells: whole numbers, tenths, dates of
// extremes and wind-direction names, with the missing mark for values equal
// to MISSING_VALUE. Every function writes a zero-terminated text into a
// REPORT_TEXT_SIZE-byte cell.
#pragma once

#include <cstdint>

// The text of an absent value, or of a station without a row for a period.
constexpr const char* MISSING_MARK = "*****";

// Highest wind-direction code: 1..16 run clockwise from north-north-east to
// north in steps of 22.5 degrees, 0 is calm.
constexpr int WIND_DIRECTION_MAX = 16;
extern const char* const WindDirectionNames[WIND_DIRECTION_MAX + 1];

// "%d" of the value, or the missing mark.
void FormatWhole(int16_t value, char* cell);
// "%.1f" of the value times 0.1 (253 gives 25.3, -5 gives -0.5), or the missing mark.
void FormatTenths(int16_t value, char* cell);
// "%4d/%02d/%02d" of year, month and day; the missing mark when `value`,
// the extreme the date belongs to, is missing.
void FormatDate(int16_t value, int year, int month, int day, char* cell);
// The direction's name; the missing mark for a missing or unknown code.
void FormatDirection(int16_t code, char* cell);
// The missing mark.
void FormatMissing(char* cell);
