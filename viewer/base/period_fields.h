// Periods as the viewer's FROM and TO texts write them ("2003/01/05",
// "2003/07", "2003"): the period type codes, the split of a text at "/" into
// its year, second and third field, and the fields' values. The second field
// is a month or a pentad of the year, the third a day, a pentad of the month
// or a part of the month; the fields a type does not use are 0.
#pragma once

#include <cstddef>
#include <string>

// Period types, numbered as the period-type master file numbers them.
enum class PeriodType { Daily = 1, PentadOfYear, PentadOfMonth, TenDay, Monthly, Yearly };

constexpr int PENTADS_PER_YEAR = 73;
constexpr int PENTADS_PER_MONTH = 6;
constexpr int TEN_DAYS_PER_MONTH = 3;
constexpr int MONTHS_PER_YEAR = 12;

// A field's digits are read up to this value; more digits do not raise it.
constexpr int PERIOD_FIELD_MAX = 999999999;

// A FROM or TO text keeps at most this many bytes; a longer one is cut.
constexpr size_t PERIOD_TEXT_MAX = 63;

// `text` cut to PERIOD_TEXT_MAX bytes: the FROM or TO text a query keeps.
std::string PeriodText(const char* text);

// A period of a query: its type with its FROM and TO texts, FROM not after TO.
struct Period {
  PeriodType periodType;
  std::string periodFrom;  // PeriodText of FROM
  std::string periodTo;    // PeriodText of TO
};

// Fields of a period text: the year, the second and the third.
constexpr int PERIOD_FIELD_COUNT = 3;
// A field's text keeps at most this many bytes; the rest of the field is cut.
constexpr size_t PERIOD_FIELD_TEXT_MAX = 63;

// A FROM or TO text split at "/": the first field is the year, the second the
// second field, every later one the third (the last wins). Each field is kept
// as its text (for the statements, which take it unchanged) and as its value.
struct PeriodTexts {
  int count = 0;                            // fields in the text: separators plus one
  std::string field[PERIOD_FIELD_COUNT];    // "" for a field not present
  int value[PERIOD_FIELD_COUNT] = {0, 0, 0};  // LeadingNumber of each field
};

// Splits a zero-terminated period text such as "2000/05/10".
PeriodTexts SplitPeriodText(const char* text);

// A period's three numbers.
struct PeriodFields {
  int year;
  int second;
  int third;
};

// The values of a FROM or TO text's fields, 0 for those absent.
PeriodFields ReadPeriodFields(const char* text);

// The leading decimal digits of `text` as a number (0 when none), held at
// PERIOD_FIELD_MAX.
int LeadingNumber(const char* text);

// Divisible by 4 and not by 100, or divisible by 400.
bool IsLeapYear(int year);
// Days of `month` (1..12) in `year`; 0 for a month outside 1..12.
int MonthLength(int year, int month);
