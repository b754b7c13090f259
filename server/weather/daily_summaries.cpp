#include "server/weather/daily_summaries.h"

#include <algorithm>
#include <cmath>

namespace {

using F = ObservationField;

constexpr int DIRECTIONS = 16;
constexpr int PENTAD_DAYS = 5;
constexpr int TEN_DAYS = 10;
constexpr int LAST_MONTH_PENTAD = 6;
constexpr int LAST_TEN_DAY_PART = 3;
// The pentad of the year that holds 29 February in a leap year.
constexpr int LEAP_PENTAD = 12;

int Clamp(long value) { return static_cast<int>(std::clamp<long>(value, -LARGEST_VALUE, LARGEST_VALUE)); }

int DayOfYear(int year, int month, int day) {
  int days = day;
  for (int earlier = 1; earlier < month; ++earlier) days += DaysInMonth(year, earlier);
  return days;
}

// The period a day belongs to, as (second field, third field) of the
// summary records.
std::array<int, 2> PeriodOf(const ObservationRecord& day, SummaryPeriod period) {
  switch (period) {
    case SummaryPeriod::YearPentad: return {At(day, F::YearPentad), 0};
    case SummaryPeriod::MonthPentad: return {At(day, F::Period2), At(day, F::MonthPentad)};
    case SummaryPeriod::TenDay: return {At(day, F::Period2), At(day, F::TenDay)};
    case SummaryPeriod::Month: return {At(day, F::Period2), 0};
    case SummaryPeriod::Year: return {0, 0};
  }
  return {0, 0};
}

// The days of one period, summarized field by field.
class PeriodSummary {
 public:
  PeriodSummary(std::vector<ObservationRecord>::const_iterator first,
                std::vector<ObservationRecord>::const_iterator last, int calendarDays)
      : first_(first), last_(last), calendarDays_(calendarDays) {}

  // Sum (or mean) of a field over the days that have it.
  int Total(F field, bool mean) const {
    long sum = 0;
    int present = 0;
    for (auto day = first_; day != last_; ++day) {
      if (At(*day, field) == MISSING_OBSERVATION) continue;
      sum += At(*day, field);
      ++present;
    }
    if (TooFew(present)) return MISSING_OBSERVATION;
    return mean ? Clamp(std::lround(static_cast<double>(sum) / present)) : Clamp(sum);
  }

  // Sum of the daily mean temperatures above 0 degrees, in whole degrees.
  int Accumulated() const {
    long tenths = 0;
    int present = 0;
    for (auto day = first_; day != last_; ++day) {
      int mean = At(*day, F::MeanTemp);
      if (mean == MISSING_OBSERVATION) continue;
      tenths += std::max(mean, 0);
      ++present;
    }
    return TooFew(present) ? MISSING_OBSERVATION : Clamp(std::lround(tenths / 10.0));
  }

  // The day of the highest (or lowest) value; `last_` when too few days.
  std::vector<ObservationRecord>::const_iterator Extreme(F field, bool highest) const {
    auto best = last_;
    int present = 0;
    for (auto day = first_; day != last_; ++day) {
      int value = At(*day, field);
      if (value == MISSING_OBSERVATION) continue;
      ++present;
      if (best == last_ || (highest ? value > At(*best, field) : value < At(*best, field))) best = day;
    }
    return TooFew(present) ? last_ : best;
  }

  // The most frequent direction code.
  int Prevailing() const {
    std::array<int, DIRECTIONS + 1> counts{};
    int present = 0;
    for (auto day = first_; day != last_; ++day) {
      int code = At(*day, F::PrevailingWindDirection);
      if (code < 0 || code > DIRECTIONS) continue;
      ++counts[code];
      ++present;
    }
    if (TooFew(present)) return MISSING_OBSERVATION;
    return static_cast<int>(std::max_element(counts.begin(), counts.end()) - counts.begin());
  }

  // Writes an extreme's value and date, plus an extra field of that day.
  void PutExtreme(ObservationRecord& record, F source, bool highest, F value, F month, F day,
                  F companion = F::Count, F companionSource = F::Count) const {
    auto found = Extreme(source, highest);
    bool missing = found == last_;
    At(record, value) = missing ? MISSING_OBSERVATION : At(*found, source);
    At(record, month) = missing ? 0 : At(*found, F::Period2);
    At(record, day) = missing ? 0 : At(*found, F::Period3);
    if (companion != F::Count) At(record, companion) = missing ? MISSING_OBSERVATION : At(*found, companionSource);
  }

 private:
  bool TooFew(int present) const { return present == 0 || (calendarDays_ - present) * 5 > calendarDays_; }

  std::vector<ObservationRecord>::const_iterator first_;
  std::vector<ObservationRecord>::const_iterator last_;
  int calendarDays_;
};

ObservationRecord Summarize(const PeriodSummary& days, const ObservationRecord& firstDay, SummaryPeriod period) {
  ObservationRecord record{};
  At(record, F::Station) = At(firstDay, F::Station);
  At(record, F::Year) = At(firstDay, F::Year);
  std::array<int, 2> key = PeriodOf(firstDay, period);
  At(record, F::Period2) = key[0];
  At(record, F::Period3) = key[1];
  At(record, F::Precipitation) = days.Total(F::Precipitation, false);
  days.PutExtreme(record, F::Precipitation, true, F::MaxDailyPrecip, F::MaxDailyPrecipMonth, F::MaxDailyPrecipDay);
  days.PutExtreme(record, F::MaxHourlyPrecip, true, F::MaxHourlyPrecip, F::MaxHourlyPrecipMonth,
                  F::MaxHourlyPrecipDay);
  At(record, F::MeanWindSpeed) = days.Total(F::MeanWindSpeed, true);
  days.PutExtreme(record, F::MaxWindSpeed, true, F::MaxWindSpeed, F::MaxWindMonth, F::MaxWindDay,
                  F::MaxWindDirection, F::MaxWindDirection);
  At(record, F::PrevailingWindDirection) = days.Prevailing();
  At(record, F::MeanTemp) = days.Total(F::MeanTemp, true);
  At(record, F::AccumulatedTemp) = days.Accumulated();
  days.PutExtreme(record, F::MaxTemp, true, F::MaxTemp, F::MaxTempMonth, F::MaxTempDay);
  At(record, F::MeanMaxTemp) = days.Total(F::MaxTemp, true);
  days.PutExtreme(record, F::MinTemp, false, F::MinTemp, F::MinTempMonth, F::MinTempDay);
  At(record, F::MeanMinTemp) = days.Total(F::MinTemp, true);
  At(record, F::SunshineHours) = days.Total(F::SunshineHours, false);
  return record;
}


// Days of the calendar in the period of `first` (a record of the period).
int CalendarDays(const ObservationRecord& first, SummaryPeriod period) {
  int year = At(first, F::Year), month = At(first, F::Period2);
  switch (period) {
    case SummaryPeriod::YearPentad:
      return At(first, F::YearPentad) == LEAP_PENTAD && IsLeapYear(year) ? PENTAD_DAYS + 1 : PENTAD_DAYS;
    case SummaryPeriod::MonthPentad:
      return At(first, F::MonthPentad) < LAST_MONTH_PENTAD ? PENTAD_DAYS
                                                           : DaysInMonth(year, month) - PENTAD_DAYS * (LAST_MONTH_PENTAD - 1);
    case SummaryPeriod::TenDay:
      return At(first, F::TenDay) < LAST_TEN_DAY_PART ? TEN_DAYS
                                                      : DaysInMonth(year, month) - TEN_DAYS * (LAST_TEN_DAY_PART - 1);
    case SummaryPeriod::Month: return DaysInMonth(year, month);
    case SummaryPeriod::Year: return IsLeapYear(year) ? 366 : 365;
  }
  return 0;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : DAYS[month - 1];
}

bool IsDate(int year, int month, int day) {
  return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

int YearPentadOf(int month, int day) {
  static const int DAYS_BEFORE[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int dayOfYear = DAYS_BEFORE[month - 1] + std::min(day, month == 2 ? 28 : 31);
  return (dayOfYear - 1) / 5 + 1;
}

ObservationRecord DailyRecord(int station, int year, int month, int day) {
  ObservationRecord record{};
  At(record, F::Station) = station;
  At(record, F::Year) = year;
  At(record, F::Period2) = month;
  At(record, F::Period3) = day;
  At(record, F::DayOfYear) = DayOfYear(year, month, day);
  At(record, F::YearPentad) = YearPentadOf(month, day);
  At(record, F::MonthPentad) = std::min((day - 1) / PENTAD_DAYS + 1, LAST_MONTH_PENTAD);
  At(record, F::TenDay) = std::min((day - 1) / TEN_DAYS + 1, LAST_TEN_DAY_PART);
  for (F field : DAILY_VALUES) At(record, field) = MISSING_OBSERVATION;
  return record;
}

std::vector<ObservationRecord> SummarizeDays(const std::vector<ObservationRecord>& days, SummaryPeriod period) {
  std::vector<ObservationRecord> summaries;
  auto first = days.begin();
  while (first != days.end()) {
    auto last = first;
    while (last != days.end() && At(*last, F::Year) == At(*first, F::Year) &&
           PeriodOf(*last, period) == PeriodOf(*first, period)) {
      ++last;
    }
    summaries.push_back(Summarize(PeriodSummary(first, last, CalendarDays(*first, period)), *first, period));
    first = last;
  }
  return summaries;
}
