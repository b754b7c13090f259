// Reading the install folder's year list (the year master file).
#pragma once

#include "viewer/base/data_years.h"

// The first and last year (the name column, four digits each) of the year
// master file at `path`; the defaults when it cannot be read, holds no row,
// or its first or last row is not a four-digit year, or they are reversed.
DataYears ReadDataYears(const char* path);
