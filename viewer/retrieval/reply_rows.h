// Reading an observation reply into rows. Each reply row is a line of values
// separated by "," (the link ends every row with "," and a line feed); the
// period type's table decides how many values a row has and which value fills
// which ObservationRow field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "viewer/base/observation_row.h"
#include "viewer/base/period_fields.h"

// Values per reply row of the period type's table.
int ReplyValueCount(PeriodType periodType);

// Reads one reply row, the `length` bytes at `row` without the line feed. The
// row is cut into exactly ReplyValueCount values; values beyond are ignored
// and missing ones read as empty, hence 0. Value 0 gives the station number
// (cut to five bytes); the type's mapped fields get their values cut to 16
// bits; every other field is 0.
ObservationRow ReadReplyRow(PeriodType periodType, const char* row, size_t length);

// Reads up to `rowCount` rows from the start of the reply `text` (`length`
// bytes) and appends them to `rows` (std::bad_alloc when they cannot be
// held). Stops early when the text runs out. Returns the number of rows
// appended.
int ReadReplyRows(PeriodType periodType, const char* text, size_t length, int rowCount,
                  std::vector<ObservationRow>& rows);
