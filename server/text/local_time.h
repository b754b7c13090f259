// The clock as the server writes it: the local time as text, and seconds
// since 1970 (the times of sign-ins and their failures).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The length of "YYYY-MM-DD" and "YYYY-MM", the day of a tally and its month.
constexpr size_t DAY_TEXT_LENGTH = 10;
constexpr size_t MONTH_TEXT_LENGTH = 7;

// The local time now, written by strftime's `format`.
std::string LocalTime(const char* format);

// The local time as "YYYY-MM-DD HH:MM:SS", the feeday of a usage row.
std::string LocalTimestamp();

int64_t EpochSeconds();
