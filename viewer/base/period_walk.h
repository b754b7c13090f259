// The periods of a report: counting them from FROM to TO and stepping from
// one to the next.
#pragma once

#include <cstdint>

#include "viewer/base/period_fields.h"

// Number of period rows from `from` to `to` inclusive. Types outside 1..6
// count like yearly periods. The result is never below 0 and is held at
// PERIOD_COUNT_MAX.
constexpr int64_t PERIOD_COUNT_MAX = 0x7fffffff;
int CountPeriodRows(int type, const PeriodFields& from, const PeriodFields& to);

// Moves `period` on to the next period of its type; a type outside 1..6
// leaves it as it is.
void AdvancePeriod(int type, PeriodFields& period);
