// The periods of a report: counting them from FROM to TO and stepping from
// one to the next.
#pragma once

#include <cstdint>

#include "viewer/base/period_fields.h"

// Number of period rows from `from` to `to` inclusive. The result is never
// below 0 and is held at PERIOD_COUNT_MAX.
constexpr int64_t PERIOD_COUNT_MAX = 0x7fffffff;
int CountPeriodRows(PeriodType type, const PeriodFields& from, const PeriodFields& to);

// CountPeriodRows from the period's FROM to its TO.
int CountPeriods(const Period& period);

// Moves `period` on to the next period of its type.
void AdvancePeriod(PeriodType type, PeriodFields& period);
