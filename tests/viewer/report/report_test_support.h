// Builders shared by the report tests: observation rows, element sets and
// queries.
#pragma once

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "viewer/base/observation_row.h"
#include "viewer/base/pair_list.h"
#include "viewer/base/query.h"
#include "viewer/report/html_csv_writers.h"
#include "viewer/report/report_columns.h"
#include "viewer/report/report_writer.h"

namespace report_test {

// Flag slots of the elements, as the form orders its flags.
enum FlagSlot {
  ACCUMULATED_TEMP = 0,
  MIN_TEMP = 1,
  PREVAILING_WIND = 2,
  MAX_TEMP = 3,
  MAX_WIND = 4,
  SUNSHINE = 5,
  PRECIPITATION = 6,
  MAX_HOURLY_PRECIP = 7,
  MAX_DAILY_PRECIP = 8,
  MEAN_MIN_TEMP = 9,
  MEAN_MAX_TEMP = 10,
  MEAN_TEMP = 11,
  MEAN_WIND = 12,
};

// A row of `station` for the period (year, second, third) with every value 0.
inline ObservationRow Row(const char* station, int year, int second, int third) {
  ObservationRow row;
  std::memset(&row, 0, sizeof row);
  std::snprintf(row.stationCode, sizeof row.stationCode, "%s", station);
  row.year = static_cast<int16_t>(year);
  row.period2 = static_cast<int16_t>(second);
  row.period3 = static_cast<int16_t>(third);
  return row;
}

// An element set of exactly the given slots.
struct Flags {
  ElementSet values;
  Flags(std::initializer_list<int> slots) {
    for (int slot : slots) values.set(slot);
  }
};

// Years wide enough for every period the report tests lay out.
constexpr DataYears ANY_YEARS{0, 9999};

// The query of these selections; std::bad_optional_access fails the test
// when they make none.
inline Query QueryOf(const PairList& stations, PeriodType type, const char* from, const char* to,
                     const Flags& flags) {
  QueryFault fault = QueryFault::None;
  return Query::Make(stations, Period{type, from, to}, flags.values, ANY_YEARS, fault).value();
}

using Texts = std::vector<std::string>;

// The period rows of the report of `query` and `rows`, as its CSV gives
// them: each the period's label, then its cells.
inline std::vector<Texts> PeriodRowsOf(const Query& query, const std::vector<ObservationRow>& rows) {
  std::istringstream csv(ReportWriter(query).GridText(rows.data(), static_cast<int>(rows.size()), OutputMode::Csv));
  std::vector<Texts> periodRows;
  std::string line;
  for (int header = 0; header < HEADER_ROWS; ++header) std::getline(csv, line);
  while (std::getline(csv, line)) {
    Texts cells;
    std::istringstream cut(line);
    std::string cell;
    while (std::getline(cut, cell, ',')) cells.push_back(cell);
    periodRows.push_back(cells);
  }
  return periodRows;
}

}  // namespace report_test
