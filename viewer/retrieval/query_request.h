// QueryRequest: one data request of the viewer (the chosen stations, the
// period type with its FROM and TO texts, the 13 element flags) and the driver
// that fetches its observations, one statement per station.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "viewer/base/data_years.h"
#include "viewer/base/element_catalogue.h"
#include "viewer/base/observation_row.h"
#include "viewer/base/period_fields.h"

class PairList;

// One exchange of a station's statement with the data server: appends the
// reply's rows to `reply` and sets `rowCount`; false when the exchange failed.
// The program's is made by DataServerExchange (data_server_exchange.h); it
// may run on worker threads (ParallelRetrieval).
using StationExchange = std::function<bool(const std::string& statement, std::string& reply, int& rowCount)>;
// Told about a station whose exchange failed, when its turn in the list comes.
using StationFailed = std::function<void(const char* station)>;

class QueryRequest {
 public:
  QueryRequest();  // empty server; the other fields wait for their setters

  // Host name or dotted address of the data server, set before Retrieve.
  std::string server;
  // True: the data server is asked over HTTPS (ServerLink::secure).
  bool secure = false;
  std::string periodFrom;  // PeriodText of FROM
  std::string periodTo;    // PeriodText of TO
  int32_t periodType;  // PERIOD_DAILY..PERIOD_YEARLY; any other code counts as yearly
  const PairList* stations;  // the form's chosen stations; not owned
  // Flag positions: 0 積算気温, 1 最低気温, 2 最多風向, 3 最高気温, 4 最大風速,
  // 5 日照時間, 6 降水量, 7 時最大降水量, 8 日最大降水量, 9 平均最低気温,
  // 10 平均最高気温, 11 平均気温, 12 平均風速.
  int32_t elementFlags[ELEMENT_COUNT];
  // The years the data server holds; CheckPeriodRange accepts periods within them.
  DataYears dataYears;

  // Keeps a reference to the list (not a copy); it must outlive Retrieve.
  void SetStations(const PairList& list);

  // Stores the type and FROM and TO, each cut to PERIOD_TEXT_MAX bytes.
  void SetPeriod(int32_t type, const char* from, const char* to);

  // Copies ELEMENT_COUNT flags (1 chosen, 0 not) in flag order.
  void SetElements(const int32_t* flags);

  // True when at least one flag is non-zero.
  bool AnyElementChosen() const;

  // True when FROM and TO have the same length and FROM is not after TO
  // (bytes compared as unsigned values).
  bool CheckPeriodOrder() const;

  // True when FROM is not below the type's lower limit and TO not above its
  // upper limit (the first and last of dataYears in the type's layout,
  // e.g. "1999/01/01" and "2003/12/31" for daily periods), comparing as many
  // bytes as the limit has, a shorter text taken as followed by zero bytes.
  bool CheckPeriodRange() const;

  // Number of chosen stations (0 before SetStations).
  int StationCount() const;

  // The statement of each chosen station, in list order.
  std::vector<std::string> StationStatements() const;

  // An empty row array with room reserved for the rows the period should
  // bring from every station (it grows when a reply brings more).
  std::vector<ObservationRow> EmptyRows() const;

  // Appends the rows of one station's reply (`replyRows` rows of the text a
  // ServerLink gathered) to `rows`; std::bad_alloc when they cannot be held.
  void TakeReply(const std::string& reply, int replyRows, std::vector<ObservationRow>& rows) const;

  // Sends the period type's statement for each chosen station through
  // `exchange`, over up to `connections` exchanges side by side
  // (ParallelRetrieval), and returns all rows gathered: the first station's
  // rows first, then the next station's. `rowCount` receives the number of
  // rows (0 when none). A station whose exchange fails adds no rows and is
  // told to `stationFailed` when its turn in the list comes; the loop goes
  // on. Exceptions of the exchange, and std::bad_alloc when the rows cannot
  // be held, leave Retrieve with `rowCount` untouched.
  std::vector<ObservationRow> Retrieve(const StationExchange& exchange, const StationFailed& stationFailed,
                                       int32_t& rowCount, int connections = 1);
};
