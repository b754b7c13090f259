// Deterministic sample observations: plausible daily weather for each sample
// station, and the pentad, ten-day, monthly and yearly records computed from
// the daily ones. The same build always gives the same values.
#pragma once

#include <array>
#include <vector>

#include "server/weather/observation_tables.h"
#include "server/tools/sample_stations.h"

constexpr int SAMPLE_FIRST_YEAR = 1999;
constexpr int SAMPLE_LAST_YEAR = 2003;

// The values of one record by ObservationField; fields a record does not
// have stay 0.
using ObservationRecord = std::array<int, FIELD_COUNT>;

inline int& At(ObservationRecord& record, ObservationField field) {
  return record[static_cast<int>(field)];
}
inline int At(const ObservationRecord& record, ObservationField field) {
  return record[static_cast<int>(field)];
}

// The period types the summaries are computed for.
enum class SummaryPeriod { YearPentad, MonthPentad, TenDay, Month, Year };

// One record per observed day of the station, in date order, from its first
// year (or SAMPLE_FIRST_YEAR) to the end of SAMPLE_LAST_YEAR. Temperatures,
// mean wind speed and sunshine are in tenths; precipitation in mm; the
// strongest wind in m/s; directions are codes 0 (calm) and 1..16.
std::vector<ObservationRecord> GenerateDailyRecords(const SampleStation& station);

// One record per period, in date order. Sums and means are missing when more
// than a fifth of the period's days lack the element; extremes take the
// first day on which they occur.
std::vector<ObservationRecord> SummarizeDays(const std::vector<ObservationRecord>& days, SummaryPeriod period);

// Pentad of the year, 1..73, of a date: five-day steps from 1 January, with
// 29 February counted in the pentad of 28 February.
int YearPentadOf(int month, int day);
