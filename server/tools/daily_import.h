// Real observations loaded in: a file of daily values in SI units for one
// station becomes its daily rows, and the pentad, ten-day, monthly and
// yearly rows of the years it touches are computed again from the daily
// rows by the same code as the sample's.
//
// The file: comma-separated, UTF-8 or Shift-JIS; a first line naming the
// columns, then one day a line. A column map names, for each element the
// file has, the column that holds it; elements are
//   date                       YYYY-MM-DD (or YYYY/MM/DD)
//   precipitation              mm a day              kept in whole mm
//   max_hourly_precipitation   mm in one hour        whole mm
//   mean_wind                  m/s                   tenths of m/s
//   max_wind                   m/s                   whole m/s
//   max_wind_direction         degrees (1..360, north 360; 0 calm)  16-point code
//   prevailing_wind_direction  degrees, likewise     16-point code
//   mean_temperature           degrees C             tenths
//   max_temperature            degrees C             tenths
//   min_temperature            degrees C             tenths
//   sunshine                   hours                 tenths of hours
// Values are rounded to the kept resolution, halves away from zero, exactly
// as written in decimal. An empty value, "NA" or "NaN" is absent and kept as
// the missing mark, as are the elements the file does not have.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "server/database/connection.h"
#include "server/weather/daily_summaries.h"

// Element name -> column name of the file.
using ColumnMap = std::map<std::string, std::string>;

// The map without --columns: each element in the column of its own name.
ColumnMap DefaultColumnMap();

// Reads "element=column,element=column..." over the default map. Returns
// false with `error` set for an element that does not exist.
bool ParseColumnMap(const std::string& text, ColumnMap& map, std::string& error);

// Reads the daily records of `station` from the file's text (UTF-8), in
// date order. Returns false with `error` set to "SOURCE line N: reason" at
// the first malformed line (a date twice, a value that is not a number or
// out of range, a missing date column ...).
bool ParseDailyFile(const std::string& text, const std::string& source, int station, const ColumnMap& map,
                    std::vector<ObservationRecord>& days, std::string& error);

// Replaces the station's daily rows from the first to the last day of
// `days` (date order) by `days`, and the summary rows of every year they
// touch by ones computed from that year's daily rows. Run inside the
// caller's transaction; the station must be in the station list. Returns
// false with `error` set.
bool SaveDailyRecords(Connection& db, int station, const std::vector<ObservationRecord>& days, std::string& error);
