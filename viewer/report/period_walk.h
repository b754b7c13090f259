// The periods of a report: counting them from FROM to TO, stepping from one
// to the next, and their row labels. A period is three numbers read from a
// FROM or TO text: the year, the second field (month, or pentad of the year)
// and the third field (day, pentad of the month or part of the month); the
// fields a period type does not use are 0.
#pragma once

#include <cstdint>

// Period types.
constexpr int PERIOD_DAILY = 1;
constexpr int PERIOD_PENTAD_OF_YEAR = 2;
constexpr int PERIOD_PENTAD_OF_MONTH = 3;
constexpr int PERIOD_TEN_DAY = 4;
constexpr int PERIOD_MONTHLY = 5;
constexpr int PERIOD_YEARLY = 6;

constexpr int PENTADS_PER_YEAR = 73;
constexpr int PENTADS_PER_MONTH = 6;
constexpr int TEN_DAYS_PER_MONTH = 3;
constexpr int MONTHS_PER_YEAR = 12;

// A field's digits are read up to this value; more digits do not raise it.
constexpr int PERIOD_FIELD_MAX = 999999999;

struct PeriodFields {
  int year;
  int second;
  int third;
};

// Reads a FROM or TO text ("2003/01/05", "2003/07", "2003"): each field is
// its leading decimal digits, 0 when there are none or the field is absent.
PeriodFields ReadPeriodFields(const char* text);

// The leading decimal digits of `text` as a number (0 when none), held at
// PERIOD_FIELD_MAX.
int LeadingNumber(const char* text);

// Divisible by 4 and not by 100, or divisible by 400.
bool IsLeapYear(int year);
// Days of `month` (1..12) in `year`; 0 for a month outside 1..12.
int MonthLength(int year, int month);

// Number of period rows from `from` to `to` inclusive. Types outside 1..6
// count like yearly periods. The result is never below 0 and is held at
// PERIOD_COUNT_MAX.
constexpr int64_t PERIOD_COUNT_MAX = 0x7fffffff;
int CountPeriodRows(int type, const PeriodFields& from, const PeriodFields& to);

// Moves `period` on to the next period of its type; a type outside 1..6
// leaves it as it is.
void AdvancePeriod(int type, PeriodFields& period);

// Writes the row label of `period` into `label` (REPORT_TEXT_SIZE bytes):
// "2003/01/05", "2003/第07", "2003/04/第02", "2003/04/中旬", "2003/04",
// "2003"; empty for a type outside 1..6.
void FormatPeriodLabel(int type, const PeriodFields& period, char* label);
