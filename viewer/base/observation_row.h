// ObservationRow: the values of one station for one period, as retrieval reads
// them from the data server and the report lays them out. A plain record.
#pragma once

#include <cstdint>

// An observation value that marks a missing observation.
constexpr int16_t MISSING_VALUE = 32767;

// Bytes of a station number text: five characters and the terminating zero.
constexpr int STATION_CODE_SIZE = 6;

struct ObservationRow {
  char stationCode[STATION_CODE_SIZE];
  int16_t year;
  int16_t period2;  // month, or pentad of the year (type 2); 0 for yearly rows
  int16_t period3;  // day, pentad of the month or ten-day part; else 0
  int16_t precipitation;
  int16_t maxDailyPrecip;
  int16_t maxDailyPrecipMonth;
  int16_t maxDailyPrecipDay;
  int16_t maxHourlyPrecip;
  int16_t maxHourlyPrecipMonth;
  int16_t maxHourlyPrecipDay;
  int16_t meanWindSpeed;     // tenths
  int16_t maxWindSpeed;
  int16_t maxWindDirection;  // direction code 0..16
  int16_t maxWindMonth;
  int16_t maxWindDay;
  int16_t prevailingWindDirection;  // direction code 0..16
  int16_t meanTemp;                 // tenths
  int16_t accumulatedTemp;
  int16_t maxTemp;  // tenths
  int16_t maxTempMonth;
  int16_t maxTempDay;
  int16_t meanMaxTemp;  // tenths
  int16_t minTemp;      // tenths
  int16_t minTempMonth;
  int16_t minTempDay;
  int16_t meanMinTemp;    // tenths
  int16_t sunshineHours;  // tenths of hours
};
