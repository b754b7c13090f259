#include "viewer/base/period_walk.h"

namespace {

const int DAYS_PER_YEAR = 365;

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

int64_t CountRows(PeriodType type, const PeriodFields& from, const PeriodFields& to) {
  switch (type) {
    case PeriodType::Daily:
      return CountDays(from, to);
    case PeriodType::PentadOfYear:
      return (int64_t{to.year} - from.year) * PENTADS_PER_YEAR + to.second - from.second + 1;
    case PeriodType::PentadOfMonth:
      return CountParts(from, to, PENTADS_PER_MONTH);
    case PeriodType::TenDay:
      return CountParts(from, to, TEN_DAYS_PER_MONTH);
    case PeriodType::Monthly:
      return (int64_t{to.year} - from.year) * MONTHS_PER_YEAR + to.second - from.second + 1;
    case PeriodType::Yearly:
      break;
  }
  return int64_t{to.year} - from.year + 1;
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

int CountPeriodRows(PeriodType type, const PeriodFields& from, const PeriodFields& to) {
  int64_t rows = CountRows(type, from, to);
  if (rows < 0) return 0;
  return static_cast<int>(rows > PERIOD_COUNT_MAX ? PERIOD_COUNT_MAX : rows);
}

void AdvancePeriod(PeriodType type, PeriodFields& period) {
  switch (type) {
    case PeriodType::Daily:
      if (++period.third <= MonthLength(period.year, period.second)) return;
      period.third = 1;
      if (++period.second <= MONTHS_PER_YEAR) return;
      period.second = 1;
      ++period.year;
      return;
    case PeriodType::PentadOfYear:
      if (++period.second <= PENTADS_PER_YEAR) return;
      period.second = 1;
      ++period.year;
      return;
    case PeriodType::PentadOfMonth:
      AdvancePart(period, PENTADS_PER_MONTH);
      return;
    case PeriodType::TenDay:
      AdvancePart(period, TEN_DAYS_PER_MONTH);
      return;
    case PeriodType::Monthly:
      if (++period.second <= MONTHS_PER_YEAR) return;
      period.second = 1;
      ++period.year;
      return;
    case PeriodType::Yearly:
      ++period.year;
      return;
  }
}

int CountPeriods(const Period& period) {
  return CountPeriodRows(period.periodType, ReadPeriodFields(period.periodFrom.c_str()),
                         ReadPeriodFields(period.periodTo.c_str()));
}
