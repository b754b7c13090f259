// The years the data server holds, as the install folder's year list gives
// them (viewer/form/data_years_file.h reads it): the period checks accept
// these years, and the range message names them. An installation with the
// list of 1999 to 2003 checks exactly as the viewer always has.
#pragma once

// The years when the list is missing, empty or not a list of years.
constexpr int DEFAULT_FIRST_DATA_YEAR = 1999;
constexpr int DEFAULT_LAST_DATA_YEAR = 2003;

struct DataYears {
  int first = DEFAULT_FIRST_DATA_YEAR;
  int last = DEFAULT_LAST_DATA_YEAR;
};
