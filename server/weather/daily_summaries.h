// Observation records and the summaries computed from daily ones: the
// pentad, ten-day, monthly and yearly records of the observation tables.
// The sample generator and the import of real observations both use this
// one implementation, so their tables follow the same rules.
#pragma once

#include <array>
#include <vector>

#include "server/weather/observation_tables.h"

// The values of one record by ObservationField; fields a record does not
// have stay 0.
using ObservationRecord = std::array<int, FIELD_COUNT>;

inline int& At(ObservationRecord& record, ObservationField field) { return record[static_cast<int>(field)]; }
inline int At(const ObservationRecord& record, ObservationField field) { return record[static_cast<int>(field)]; }

// The period types the summaries are computed for, in the order of the
// summary tables (ObservationTables() 1 to 5).
enum class SummaryPeriod { YearPentad, MonthPentad, TenDay, Month, Year };
constexpr SummaryPeriod SUMMARY_PERIODS[] = {SummaryPeriod::YearPentad, SummaryPeriod::MonthPentad,
                                             SummaryPeriod::TenDay, SummaryPeriod::Month, SummaryPeriod::Year};

// The value fields of a daily record.
constexpr ObservationField DAILY_VALUES[] = {
    ObservationField::Precipitation, ObservationField::MaxHourlyPrecip,  ObservationField::MeanWindSpeed,
    ObservationField::MaxWindSpeed,  ObservationField::MaxWindDirection, ObservationField::PrevailingWindDirection,
    ObservationField::MeanTemp,      ObservationField::MaxTemp,          ObservationField::MinTemp,
    ObservationField::SunshineHours};

// The largest value a field holds (the tables keep 16-bit values; 32767 is
// the missing mark).
constexpr int LARGEST_VALUE = 32766;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Pentad of the year, 1..73, of a date: five-day steps from 1 January, with
// 29 February counted in the pentad of 28 February.
int YearPentadOf(int month, int day);

// True when year, month and day name a day of the calendar.
bool IsDate(int year, int month, int day);

// A daily record of `station` for a valid date: the date and the fields
// derived from it (day of the year, pentads, ten-day part) set, every value
// missing.
ObservationRecord DailyRecord(int station, int year, int month, int day);

// One record per period of `days` (daily records of one station, in date
// order), in date order. Sums and means are missing when more than a fifth
// of the period's calendar days lack the element (a day without a record
// lacks them all); extremes take the first day on which they occur and are
// missing under the same rule.
std::vector<ObservationRecord> SummarizeDays(const std::vector<ObservationRecord>& days, SummaryPeriod period);
