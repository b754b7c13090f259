#include "viewer/report/value_formatting.h"

#include <cstdio>
#include <cstring>

#include "viewer/report/report_columns.h"
#include "viewer/base/observation_row.h"

const char* const WindDirectionNames[WIND_DIRECTION_MAX + 1] = {
    "静穏", "北北東", "北東", "東北東", "東", "東南東", "南東", "南南東", "南",
    "南南西", "南西", "西南西", "西", "西北西", "北西", "北北西", "北"};

namespace {

// Writes the decimal digits of `number` (0 or more) at `out` and moves it on.
void PutDigits(int number, char*& out) {
  char digits[12];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number > 0);
  while (count > 0) *out++ = digits[--count];
}

}  // namespace

void FormatMissing(char* cell) { CopyReportText(cell, MISSING_MARK); }

// The same text as "%d" of the value.
void FormatWhole(int16_t value, char* cell) {
  if (value == MISSING_VALUE) return FormatMissing(cell);
  std::memset(cell, 0, REPORT_TEXT_SIZE);
  char* out = cell;
  if (value < 0) *out++ = '-';
  PutDigits(value < 0 ? -value : value, out);
}

// The same text as "%.1f" of value * 0.1: the product lies within a rounding
// error of an exact tenth, so the printed digits are those of value / 10.
void FormatTenths(int16_t value, char* cell) {
  if (value == MISSING_VALUE) return FormatMissing(cell);
  std::memset(cell, 0, REPORT_TEXT_SIZE);
  char* out = cell;
  const int magnitude = value < 0 ? -value : value;
  if (value < 0) *out++ = '-';
  PutDigits(magnitude / 10, out);
  *out++ = '.';
  *out = static_cast<char>('0' + magnitude % 10);
}

void FormatDate(int16_t value, int year, int month, int day, char* cell) {
  if (value == MISSING_VALUE) return FormatMissing(cell);
  std::memset(cell, 0, REPORT_TEXT_SIZE);
  std::snprintf(cell, REPORT_TEXT_SIZE, "%4d/%02d/%02d", year, month, day);
}

void FormatDirection(int16_t code, char* cell) {
  if (code < 0 || code > WIND_DIRECTION_MAX) return FormatMissing(cell);
  CopyReportText(cell, WindDirectionNames[code]);
}
