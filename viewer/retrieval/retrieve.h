// Retrieve: the observations of a query, one statement per chosen station,
// the stations' exchanges side by side (ParallelRetrieval).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "viewer/base/observation_row.h"
#include "viewer/base/query.h"

// One exchange of a station's statement with the data server: appends the
// reply's rows to `reply` and sets `rowCount`; false when the exchange failed.
// The program's is made by DataServerExchange (data_server_exchange.h); it
// may run on worker threads (ParallelRetrieval).
using StationExchange = std::function<bool(const std::string& statement, std::string& reply, int& rowCount)>;
// Told about a station whose exchange failed, when its turn in the list comes.
using StationFailed = std::function<void(const char* station)>;

// The statement of each of the query's stations, in list order.
std::vector<std::string> StationStatements(const Query& query);

// An empty row array with room reserved for the rows the query's period
// should bring from every station (it grows when a reply brings more).
std::vector<ObservationRow> EmptyRows(const Query& query);

// Sends the period type's statement for each of the query's stations through
// `exchange`, over up to `connections` exchanges side by side
// (ParallelRetrieval), and returns all rows gathered: the first station's
// rows first, then the next station's. `rowCount` receives the number of
// rows (0 when none). A station whose exchange fails adds no rows and is
// told to `stationFailed` when its turn in the list comes; the loop goes
// on. Exceptions of the exchange, and std::bad_alloc when the rows cannot
// be held, leave Retrieve with `rowCount` untouched.
std::vector<ObservationRow> Retrieve(const Query& query, const StationExchange& exchange,
                                     const StationFailed& stationFailed, int32_t& rowCount, int connections = 1);
