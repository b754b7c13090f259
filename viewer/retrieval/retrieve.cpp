#include "viewer/retrieval/retrieve.h"

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "viewer/retrieval/observation_statements.h"
#include "viewer/retrieval/parallel_retrieval.h"
#include "viewer/retrieval/query_size.h"

namespace {

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

std::vector<std::string> StationStatements(const Query& query) {
  std::vector<std::string> statements;
  const Period& period = query.period;
  for (int position = 0; position < query.stations.Count(); ++position) {
    std::string station;
    std::string name;
    query.stations.GetAt(position, station, name);
    statements.push_back(
        StationStatement(period.periodType, station.c_str(), period.periodFrom.c_str(), period.periodTo.c_str()));
  }
  return statements;
}

std::vector<ObservationRow> EmptyRows(const Query& query) {
  std::vector<ObservationRow> rows;
  ReserveRows(rows, QueryRowCount(query.stations.Count(), query.period));
  return rows;
}

std::vector<ObservationRow> Retrieve(const Query& query, const StationExchange& exchange,
                                     const StationFailed& stationFailed, int32_t& rowCount, int connections) {
  ParallelRetrieval retrieval(query, connections, exchange, nullptr);
  retrieval.TakeAll(stationFailed);
  rowCount = static_cast<int32_t>(retrieval.Rows().size());
  return std::move(retrieval.Rows());
}
