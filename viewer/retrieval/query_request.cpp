#include "viewer/retrieval/query_request.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "viewer/base/pair_list.h"
#include "viewer/base/period_fields.h"
#include "viewer/base/period_walk.h"
#include "viewer/retrieval/observation_statements.h"
#include "viewer/retrieval/parallel_retrieval.h"
#include "viewer/retrieval/reply_rows.h"

namespace {

// The first and last period of the data's years in a period type's layout:
// the year, then the type's first and last second and third fields.
struct PeriodLimits {
  std::string lower;
  std::string upper;
};

PeriodLimits LimitsOf(int32_t type, const DataYears& years) {
  const char* first = "";
  const char* last = "";
  switch (type) {
    case PERIOD_DAILY: first = "/01/01", last = "/12/31"; break;
    case PERIOD_PENTAD_OF_YEAR: first = "/01", last = "/73"; break;
    case PERIOD_PENTAD_OF_MONTH: first = "/01/01", last = "/12/06"; break;
    case PERIOD_TEN_DAY: first = "/01/01", last = "/12/03"; break;
    case PERIOD_MONTHLY: first = "/01", last = "/12"; break;
    default: break;
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

// Reserves room for the rows the period should bring; a reply with more
// grows the rows. When the reservation cannot be had the rows grow as they
// arrive, so only rows that really do not fit end the request.
void ReserveRows(std::vector<ObservationRow>& rows, int64_t expected) {
  try {
    rows.reserve(static_cast<size_t>(expected > INT32_MAX ? INT32_MAX : expected));
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
}

}  // namespace

QueryRequest::QueryRequest() : periodType(0), stations(nullptr), elementFlags() {}

void QueryRequest::SetStations(const PairList& list) { stations = &list; }

void QueryRequest::SetPeriod(int32_t type, const char* from, const char* to) {
  periodType = type;
  periodFrom = PeriodText(from);
  periodTo = PeriodText(to);
}

void QueryRequest::SetElements(const int32_t* flags) {
  std::memcpy(elementFlags, flags, sizeof elementFlags);
}

bool QueryRequest::AnyElementChosen() const {
  for (int32_t flag : elementFlags) {
    if (flag != 0) return true;
  }
  return false;
}

bool QueryRequest::CheckPeriodOrder() const {
  // std::string compares as unsigned bytes; one layout per type makes this
  // the chronological order.
  return periodFrom.size() == periodTo.size() && periodFrom <= periodTo;
}

bool QueryRequest::CheckPeriodRange() const {
  PeriodLimits limits = LimitsOf(periodType, dataYears);
  return CompareToLimit(periodFrom, limits.lower) >= 0 && CompareToLimit(periodTo, limits.upper) <= 0;
}

int QueryRequest::StationCount() const { return stations == nullptr ? 0 : stations->Count(); }

std::vector<std::string> QueryRequest::StationStatements() const {
  std::vector<std::string> statements;
  for (int position = 0; position < StationCount(); ++position) {
    std::string station;
    std::string name;
    stations->GetAt(position, station, name);
    statements.push_back(StationStatement(periodType, station.c_str(), periodFrom.c_str(), periodTo.c_str()));
  }
  return statements;
}

std::vector<ObservationRow> QueryRequest::EmptyRows() const {
  std::vector<ObservationRow> rows;
  int periods = CountPeriodRows(periodType, ReadPeriodFields(periodFrom.c_str()), ReadPeriodFields(periodTo.c_str()));
  ReserveRows(rows, static_cast<int64_t>(periods) * StationCount());
  return rows;
}

void QueryRequest::TakeReply(const std::string& reply, int replyRows, std::vector<ObservationRow>& rows) const {
  ReadReplyRows(periodType, reply.data(), reply.size(), replyRows, rows);
}

std::vector<ObservationRow> QueryRequest::Retrieve(const StationExchange& exchange,
                                                   const StationFailed& stationFailed, int32_t& rowCount,
                                                   int connections) {
  ParallelRetrieval retrieval(*this, connections, exchange, nullptr);
  retrieval.TakeAll(stationFailed);
  rowCount = static_cast<int32_t>(retrieval.Rows().size());
  return std::move(retrieval.Rows());
}
