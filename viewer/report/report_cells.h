// Finding the observation row of a station for a period. Built once per
// report from the rows, the chosen stations and the report's periods; a
// lookup is then a few hash probes instead of a scan of every row.
#pragma once

#include <memory>
#include <unordered_map>

#include "viewer/base/period_walk.h"
#include "viewer/base/observation_row.h"
#include "viewer/report/report_columns.h"

class PairList;

class RowIndex {
 public:
  // Indexes `rows` against the stations of `stations` (matched by the whole
  // station number text) and the `periodCount` periods of the walk from
  // `first` under `periodType`. Where several rows share a station and a
  // period, the first of them is kept.
  RowIndex(const ObservationRow* rows, int rowCount, const PairList& stations, PeriodType periodType,
           const PeriodFields& first, int periodCount);

  // The slot of `period` for Find, or -1 when it is none of the report's periods.
  int PeriodSlot(const PeriodFields& period) const;

  // Position in the rows of the row for station `station` (its position in
  // the list) and the period in `periodSlot`, or -1 when there is none.
  int Find(int station, int periodSlot) const;

 private:
  struct PeriodKey {
    int year;
    int second;
    int third;
    bool operator==(const PeriodKey& other) const {
      return year == other.year && second == other.second && third == other.third;
    }
  };
  struct PeriodKeyHash {
    size_t operator()(const PeriodKey& key) const;
  };

  int stationCount;
  // Period to the first walk row naming it.
  std::unordered_map<PeriodKey, int, PeriodKeyHash> periodRows;
  // Row position for each (first walk row of a period, station), -1 when none.
  std::unique_ptr<int[]> firstRow;
};

// Writes the cells of one element from `row` at `cells` (as many as
// ElementColumns gives); returns the cells written.
int WriteElementCells(const ElementSpec& element, PeriodType periodType, const ObservationRow& row, ReportCell* cells);
