// ParallelRetrieval: the stations' exchanges of one query run side by side
// on a bounded number of worker threads, one connection each, while their
// replies are taken on the caller's thread strictly in the chosen list's
// order. The rows, the failed-station calls and the first exception are
// therefore exactly those of one station after the other; only the waiting
// overlaps.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "viewer/base/observation_row.h"
#include "viewer/retrieval/retrieve.h"

class ParallelRetrieval {
 public:
  // Starts the exchanges of `query`'s stations (the query must outlive
  // the retrieval) on min(`connections`, stations) worker threads, each
  // taking the next station not yet sent, as long as fewer than
  // `connections` stations before it wait to be taken: with 1, each station
  // goes out once the one before has been taken, as one after the other.
  // `exchange` runs on those threads and must be safe to run side by side;
  // the query is only read there. `arrived` is called on a worker thread each time an
  // exchange has ended, until Cancel; it must not block. Throws
  // std::system_error when no thread can be started.
  ParallelRetrieval(const Query& query, int connections, StationExchange exchange,
                    std::function<void()> arrived);
  // Cancels what is outstanding; does not wait for the worker threads,
  // which end at their current exchange.
  ~ParallelRetrieval();
  ParallelRetrieval(const ParallelRetrieval&) = delete;
  ParallelRetrieval& operator=(const ParallelRetrieval&) = delete;

  // Takes every reply that has arrived and whose stations before it have
  // been taken: its rows into Rows(), or, for a failed exchange, a call of
  // `stationFailed` with the station number. An exchange's exception leaves
  // here when its station's turn comes, and the stations after it are not
  // taken. A call made from within `stationFailed` returns at once: the
  // outer call goes on taking.
  void TakeArrived(const StationFailed& stationFailed);

  // Blocks until every station has been taken (TakeArrived as replies come).
  void TakeAll(const StationFailed& stationFailed);

  // Sends no more statements and stops calling `arrived`; exchanges under
  // way end on their own and their replies are dropped.
  void Cancel();

  bool Finished() const { return taken == StationCount(); }
  int StationCount() const;
  // Stations whose exchange has ended (taken or not).
  int Arrived() const;

  // The rows taken so far, in list order; moved out by the caller at the end.
  std::vector<ObservationRow>& Rows() { return rows; }

 private:
  struct Shared;  // what the worker threads share with this object

  const Query& query;
  std::shared_ptr<Shared> shared;
  std::vector<ObservationRow> rows;
  int taken = 0;
  bool taking = false;
};
