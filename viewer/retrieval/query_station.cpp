// The per-station loop of a request: one observation query per chosen station.
#include <cstdint>

#include "viewer/form/pair_list.h"
#include "viewer/retrieval/observation_queries.h"
#include "viewer/retrieval/query_request.h"

namespace {

// Rows held from the start, so the returned block is never null.
constexpr int MINIMUM_ROWS = 1;

}  // namespace

RowArray QueryRequest::Retrieve(int32_t& rowCount) {
  // The rows the period should bring are reserved up front; a reply with more
  // grows the block. When the reservation cannot be had the block starts
  // small and grows as rows arrive, so only rows that really do not fit end
  // the request (std::bad_alloc). On any exception `rows` releases the block.
  int64_t reserve = static_cast<int64_t>(PeriodCapacity()) * StationCount();
  RowArray rows(MINIMUM_ROWS);
  rows.Reserve(reserve > INT32_MAX ? INT32_MAX : static_cast<int>(reserve));
  int nextRow = 0;
  int32_t total = 0;
  for (int position = 0; position < StationCount(); ++position) {
    char station[SLOT_SIZE] = {};
    char name[SLOT_SIZE] = {};
    stations->GetAt(position, station, name);
    total += QueryStation(station, nextRow, rows);
  }
  rowCount = total;
  return rows;
}

int QueryRequest::QueryStation(const char* stationCode, int& nextRow, RowArray& rows) {
  switch (periodType) {
    case PERIOD_DAILY: return QueryDaily(*this, stationCode, nextRow, rows);
    case PERIOD_PENTAD_OF_YEAR: return QueryYearRoundPentad(*this, stationCode, nextRow, rows);
    case PERIOD_PENTAD_OF_MONTH: return QueryCalendarPentad(*this, stationCode, nextRow, rows);
    case PERIOD_TEN_DAY: return QueryTenDay(*this, stationCode, nextRow, rows);
    case PERIOD_MONTHLY: return QueryMonthly(*this, stationCode, nextRow, rows);
    default: return QueryYearly(*this, stationCode, nextRow, rows);
  }
}
