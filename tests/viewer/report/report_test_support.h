// Builders shared by the report tests: observation rows, station lists and
// element flags.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

#include "viewer/base/pair_list.h"
#include "viewer/report/report_columns.h"
#include "viewer/base/observation_row.h"

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

// Flags with exactly the given slots chosen.
struct Flags {
  int values[ELEMENT_COUNT] = {};
  Flags(std::initializer_list<int> slots) {
    for (int slot : slots) values[slot] = 1;
  }
};

}  // namespace report_test
