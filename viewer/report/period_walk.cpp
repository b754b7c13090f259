#include "viewer/report/period_walk.h"

#include <cstdio>
#include <cstring>

#include "viewer/report/report_columns.h"
#include "viewer/report/report_writer.h"

namespace {

const int MONTH_DAYS[MONTHS_PER_YEAR] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const int FEBRUARY = 2;
const int DAYS_PER_YEAR = 365;

const char* const TEN_DAY_NAMES[TEN_DAYS_PER_MONTH] = {"上旬", "中旬", "下旬"};

int64_t LeapYearsThrough(int64_t year) { return year / 4 - year / 100 + year / 400; }

// Days of the whole years first..last (0 when last < first).
int64_t DaysOfYears(int64_t first, int64_t last) {
  if (last < first) return 0;
  return (last - first + 1) * DAYS_PER_YEAR + LeapYearsThrough(last) - LeapYearsThrough(first - 1);
}

// Days of the months first..last of `year`, only months 1..12 having days.
int64_t DaysOfMonths(int year, int first, int last) {
  int64_t days = 0;
  for (int month = first < 1 ? 1 : first; month <= last && month <= MONTHS_PER_YEAR; ++month) {
    days += MonthLength(year, month);
  }
  return days;
}

// Walks the months from (y1, a1) to (y2, a2) as the daily count does: every
// month gives its length, except the first (length - b1), the last (b2) and
// a month that is both (b2 - b1).
int64_t CountDays(const PeriodFields& from, const PeriodFields& to) {
  if (from.year == to.year) {
    if (from.second > to.second) return 1;
    if (from.second == to.second) return int64_t{to.third} - from.third + 1;
    return MonthLength(from.year, from.second) - int64_t{from.third} +
           DaysOfMonths(from.year, from.second + 1, to.second - 1) + to.third + 1;
  }
  if (from.year > to.year) return 1;
  int64_t days = 0;
  if (from.second <= MONTHS_PER_YEAR) {
    days += MonthLength(from.year, from.second) - int64_t{from.third};
    days += DaysOfMonths(from.year, from.second + 1, MONTHS_PER_YEAR);
  }
  days += DaysOfYears(int64_t{from.year} + 1, int64_t{to.year} - 1);
  if (to.second >= 1) days += DaysOfMonths(to.year, 1, to.second - 1) + to.third;
  return days + 1;
}

int64_t CountParts(const PeriodFields& from, const PeriodFields& to, int perMonth) {
  int64_t parts = int64_t{to.third} - from.third + 1;
  if (from.year == to.year && from.second == to.second) return parts;
  int64_t months = (int64_t{to.year} - from.year) * MONTHS_PER_YEAR + to.second - from.second;
  return months * perMonth + parts;
}

int64_t CountRows(int type, const PeriodFields& from, const PeriodFields& to) {
  switch (type) {
    case PERIOD_DAILY:
      return CountDays(from, to);
    case PERIOD_PENTAD_OF_YEAR:
      return (int64_t{to.year} - from.year) * PENTADS_PER_YEAR + to.second - from.second + 1;
    case PERIOD_PENTAD_OF_MONTH:
      return CountParts(from, to, PENTADS_PER_MONTH);
    case PERIOD_TEN_DAY:
      return CountParts(from, to, TEN_DAYS_PER_MONTH);
    case PERIOD_MONTHLY:
      return (int64_t{to.year} - from.year) * MONTHS_PER_YEAR + to.second - from.second + 1;
    default:
      return int64_t{to.year} - from.year + 1;
  }
}

// Raises the part within the month; past `perMonth` the month, past 12 the year.
void AdvancePart(PeriodFields& period, int perMonth) {
  if (++period.third <= perMonth) return;
  period.third = 1;
  if (++period.second <= MONTHS_PER_YEAR) return;
  period.second = 1;
  ++period.year;
}

}  // namespace

int LeadingNumber(const char* text) {
  int value = 0;
  for (const char* p = text; *p >= '0' && *p <= '9'; ++p) {
    int digit = *p - '0';
    value = value > (PERIOD_FIELD_MAX - digit) / 10 ? PERIOD_FIELD_MAX : value * 10 + digit;
  }
  return value;
}

PeriodFields ReadPeriodFields(const char* text) {
  char fields[3][REPORT_TEXT_SIZE] = {};
  ReportWriter::SplitDateText(text, fields[0], fields[1], fields[2]);
  return PeriodFields{LeadingNumber(fields[0]), LeadingNumber(fields[1]), LeadingNumber(fields[2])};
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int MonthLength(int year, int month) {
  if (month < 1 || month > MONTHS_PER_YEAR) return 0;
  if (month == FEBRUARY && IsLeapYear(year)) return MONTH_DAYS[month - 1] + 1;
  return MONTH_DAYS[month - 1];
}

int CountPeriodRows(int type, const PeriodFields& from, const PeriodFields& to) {
  int64_t rows = CountRows(type, from, to);
  if (rows < 0) return 0;
  return static_cast<int>(rows > PERIOD_COUNT_MAX ? PERIOD_COUNT_MAX : rows);
}

void AdvancePeriod(int type, PeriodFields& period) {
  switch (type) {
    case PERIOD_DAILY:
      if (++period.third <= MonthLength(period.year, period.second)) return;
      period.third = 1;
      if (++period.second <= MONTHS_PER_YEAR) return;
      period.second = 1;
      ++period.year;
      return;
    case PERIOD_PENTAD_OF_YEAR:
      if (++period.second <= PENTADS_PER_YEAR) return;
      period.second = 1;
      ++period.year;
      return;
    case PERIOD_PENTAD_OF_MONTH:
      AdvancePart(period, PENTADS_PER_MONTH);
      return;
    case PERIOD_TEN_DAY:
      AdvancePart(period, TEN_DAYS_PER_MONTH);
      return;
    case PERIOD_MONTHLY:
      if (++period.second <= MONTHS_PER_YEAR) return;
      period.second = 1;
      ++period.year;
      return;
    case PERIOD_YEARLY:
      ++period.year;
      return;
    default:
      return;
  }
}

void FormatPeriodLabel(int type, const PeriodFields& period, char* label) {
  std::memset(label, 0, REPORT_TEXT_SIZE);
  const int y = period.year;
  const int a = period.second;
  const int b = period.third;
  switch (type) {
    case PERIOD_DAILY:
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d/%02d/%02d", y, a, b);
      return;
    case PERIOD_PENTAD_OF_YEAR:
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d/第%02d", y, a);
      return;
    case PERIOD_PENTAD_OF_MONTH:
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d/%02d/第%02d", y, a, b);
      return;
    case PERIOD_TEN_DAY: {
      const char* name = (b >= 1 && b <= TEN_DAYS_PER_MONTH) ? TEN_DAY_NAMES[b - 1] : "";
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d/%02d/%s", y, a, name);
      return;
    }
    case PERIOD_MONTHLY:
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d/%02d", y, a);
      return;
    case PERIOD_YEARLY:
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d", y);
      return;
    default:
      return;
  }
}

std::unique_ptr<PeriodLabel[]> ReportWriter::BuildPeriodLabels() const {
  const int count = CountPeriods();
  std::unique_ptr<PeriodLabel[]> labels(new PeriodLabel[count]());
  PeriodFields period = FirstPeriod();
  for (int row = 0; row < count; ++row) {
    FormatPeriodLabel(periodType, period, labels[row].text);
    AdvancePeriod(periodType, period);
  }
  return labels;
}
