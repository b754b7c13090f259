// The years the data server holds, as the install folder's year list gives
// them: the period checks accept these years, and the range message names
// them. An installation with the list of 1999 to 2003 checks exactly as the
// viewer always has.
#pragma once

// The years when the list is missing, empty or not a list of years.
constexpr int DEFAULT_FIRST_DATA_YEAR = 1999;
constexpr int DEFAULT_LAST_DATA_YEAR = 2003;

struct DataYears {
  int first = DEFAULT_FIRST_DATA_YEAR;
  int last = DEFAULT_LAST_DATA_YEAR;
};

// The first and last year (the name column, four digits each) of the year
// master file at `path`; the defaults when it cannot be read, holds no row,
// or its first or last row is not a four-digit year, or they are reversed.
DataYears ReadDataYears(const char* path);
