// Query: one data request of the viewer, checked once and then read by
// retrieval (Retrieve) and the report (MakeReport): the chosen stations, the
// period with its type, FROM and TO, and the chosen elements.
#pragma once

#include <optional>

#include "viewer/base/data_years.h"
#include "viewer/base/element_catalogue.h"
#include "viewer/base/pair_list.h"
#include "viewer/base/period_fields.h"

// Most data columns a report holds.
constexpr int MAX_REPORT_COLUMNS = 255;

// The first check a query's selections fail, in the order they are checked.
enum class QueryFault { None, NoStation, PeriodOrder, PeriodRange, NoElement, TooManyColumns };

class Query {
 public:
  // The query of these selections, FROM and TO cut to PERIOD_TEXT_MAX bytes,
  // when they pass every check: at least one station, CheckPeriodOrder,
  // CheckPeriodRange within `dataYears`, at least one element and at most
  // MAX_REPORT_COLUMNS report columns. Otherwise no query, and `fault` names
  // the first check that failed.
  static std::optional<Query> Make(const PairList& stations, const Period& period, const ElementSet& elementFlags,
                                   const DataYears& dataYears, QueryFault& fault);

  // Key: station number (five characters); value: station name; list order.
  const PairList stations;
  const Period period;
  const ElementSet elementFlags;

 private:
  Query(const PairList& stations, const Period& period, const ElementSet& elementFlags);
};

// True when FROM and TO have the same length and FROM is not after TO
// (bytes compared as unsigned values).
bool CheckPeriodOrder(const Period& period);

// True when FROM is not below the type's lower limit and TO not above its
// upper limit (the first and last of `dataYears` in the type's layout,
// e.g. "1999/01/01" and "2003/12/31" for daily periods), comparing as many
// bytes as the limit has, a shorter text taken as followed by zero bytes.
bool CheckPeriodRange(const Period& period, const DataYears& dataYears);
