#include "viewer/base/query.h"

#include <cstring>
#include <string>

namespace {

// The first and last period of the data's years in a period type's layout:
// the year, then the type's first and last second and third fields.
struct PeriodLimits {
  std::string lower;
  std::string upper;
};

PeriodLimits LimitsOf(PeriodType type, const DataYears& years) {
  const char* first = "";
  const char* last = "";
  switch (type) {
    case PeriodType::Daily: first = "/01/01", last = "/12/31"; break;
    case PeriodType::PentadOfYear: first = "/01", last = "/73"; break;
    case PeriodType::PentadOfMonth: first = "/01/01", last = "/12/06"; break;
    case PeriodType::TenDay: first = "/01/01", last = "/12/03"; break;
    case PeriodType::Monthly: first = "/01", last = "/12"; break;
    case PeriodType::Yearly: break;
  }
  return {std::to_string(years.first) + first, std::to_string(years.last) + last};
}

// Compares `text` with `limit` over the limit's bytes, a shorter text taken as
// followed by zero bytes.
int CompareToLimit(const std::string& text, const std::string& limit) {
  std::string padded = text;
  if (padded.size() < limit.size()) padded.resize(limit.size(), '\0');
  return std::memcmp(padded.data(), limit.data(), limit.size());
}

QueryFault FirstFault(const PairList& stations, const Period& period, const ElementSet& elementFlags,
                      const DataYears& dataYears) {
  if (stations.Count() == 0) return QueryFault::NoStation;
  if (!CheckPeriodOrder(period)) return QueryFault::PeriodOrder;
  if (!CheckPeriodRange(period, dataYears)) return QueryFault::PeriodRange;
  if (elementFlags.none()) return QueryFault::NoElement;
  if (ColumnsPerStation(elementFlags, period.periodType) * stations.Count() > MAX_REPORT_COLUMNS) {
    return QueryFault::TooManyColumns;
  }
  return QueryFault::None;
}

}  // namespace

Query::Query(const PairList& stations, const Period& period, const ElementSet& elementFlags)
    : stations(stations), period(period), elementFlags(elementFlags) {}

std::optional<Query> Query::Make(const PairList& stations, const Period& period, const ElementSet& elementFlags,
                                 const DataYears& dataYears, QueryFault& fault) {
  const Period cut{period.periodType, PeriodText(period.periodFrom.c_str()), PeriodText(period.periodTo.c_str())};
  fault = FirstFault(stations, cut, elementFlags, dataYears);
  if (fault != QueryFault::None) return std::nullopt;
  return Query(stations, cut, elementFlags);
}

bool CheckPeriodOrder(const Period& period) {
  // std::string compares as unsigned bytes; one layout per type makes this
  // the chronological order.
  return period.periodFrom.size() == period.periodTo.size() && period.periodFrom <= period.periodTo;
}

bool CheckPeriodRange(const Period& period, const DataYears& dataYears) {
  PeriodLimits limits = LimitsOf(period.periodType, dataYears);
  return CompareToLimit(period.periodFrom, limits.lower) >= 0 && CompareToLimit(period.periodTo, limits.upper) <= 0;
}
