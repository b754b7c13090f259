// An observation request as the server runs it: the rows of one table that
// match any of up to a few parts, each part one station and a conjunction
// of comparisons of the table's columns with whole numbers. The viewer splits
// a period at month and year ends into such parts.
#pragma once

#include <cstdint>
#include <vector>

#include "server/weather/observation_tables.h"

enum class Comparison { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

struct ColumnCondition {
  size_t column;  // index into the table's columns
  Comparison comparison;
  int64_t value;
};

struct ObservationPart {
  int64_t station;
  std::vector<ColumnCondition> conditions;  // all must hold
};

struct ObservationQuery {
  const ObservationTable* table = nullptr;
  std::vector<ObservationPart> parts;  // a row matching any part is in the reply, once
};
