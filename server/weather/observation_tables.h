// The six observation tables, one per period type, and what each of their
// columns holds. Column 0 is the station number sChiten; the column at reply
// position p is named "d<p>", the names the viewer's queries filter on.
// Every column is an INTEGER, so comparisons such as "d3 = 05" and
// "sChiten = 12345" match numerically.
#pragma once

#include <string>
#include <vector>

// One quantity of an observation record; a table lists the fields it keeps
// in column order. Values are tenths where the unit says so, missing values
// are MISSING_OBSERVATION.
enum class ObservationField {
  Station,
  Year,
  Period2,     // month, or pentad of the year for the pentad table
  Period3,     // day, pentad of the month or ten-day part
  DayOfYear,   // daily rows: day of the year, 1..366
  YearPentad,  // daily rows: pentad of the year, 1..73
  MonthPentad, // daily rows: pentad of the month, 1..6
  TenDay,      // daily rows: ten-day part of the month, 1..3
  Precipitation,
  MaxDailyPrecip,
  MaxDailyPrecipMonth,
  MaxDailyPrecipDay,
  MaxHourlyPrecip,
  MaxHourlyPrecipMonth,
  MaxHourlyPrecipDay,
  MeanWindSpeed,
  MaxWindSpeed,
  MaxWindDirection,
  MaxWindMonth,
  MaxWindDay,
  PrevailingWindDirection,
  MeanTemp,
  AccumulatedTemp,
  MaxTemp,
  MaxTempMonth,
  MaxTempDay,
  MeanMaxTemp,
  MinTemp,
  MinTempMonth,
  MinTempDay,
  MeanMinTemp,
  SunshineHours,
  Count
};

constexpr int FIELD_COUNT = static_cast<int>(ObservationField::Count);

// A value that marks a missing observation.
constexpr int MISSING_OBSERVATION = 32767;

struct ObservationTable {
  const char* name;
  std::vector<ObservationField> columns;
};

// The six tables in period-type order: st_data_h (daily), st_data_th (pentad
// of the year), st_data_rh (pentad of the month), st_data_j (ten-day part),
// st_data_t (monthly), st_data_n (yearly).
const std::vector<ObservationTable>& ObservationTables();

// "sChiten" for column 0, "d<index>" for the others.
std::string ObservationColumnName(size_t index);

// The columns that identify a record, in key order: the station, then the
// year and the period fields the table has. One record per station and
// period; rows of a reply come in this order.
std::vector<size_t> KeyColumns(const ObservationTable& table);

// The table of `name` (any letter case), or nullptr.
const ObservationTable* FindObservationTable(const std::string& name);
