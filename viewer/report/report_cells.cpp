#include "viewer/report/report_cells.h"

#include <algorithm>
#include <string>

#include "viewer/base/pair_list.h"
#include "viewer/report/value_formatting.h"

namespace {

// The row's station number as a text: at most STATION_CODE_SIZE bytes, up
// to the first zero.
std::string RowStation(const ObservationRow& row) {
  size_t length = 0;
  while (length < STATION_CODE_SIZE && row.stationCode[length] != '\0') ++length;
  return std::string(row.stationCode, length);
}

void FormatValue(ValueFormat format, int16_t value, char* cell) {
  switch (format) {
    case ValueFormat::Whole:
      return FormatWhole(value, cell);
    case ValueFormat::Tenths:
      return FormatTenths(value, cell);
    case ValueFormat::Direction:
      return FormatDirection(value, cell);
  }
}

}  // namespace

int WriteElementCells(const ElementSpec& element, PeriodType periodType, const ObservationRow& row, ReportCell* cells) {
  int written = 0;
  const int16_t value = row.*element.value;
  if (element.dateFirst && periodType != PeriodType::Daily) {
    FormatDate(value, row.year, row.*element.month, row.*element.day, cells[written++].text);
  }
  FormatValue(element.format, value, cells[written++].text);
  if (element.direction) {
    if (value == MISSING_VALUE) {
      FormatMissing(cells[written++].text);
    } else {
      FormatDirection(row.*element.direction, cells[written++].text);
    }
  }
  return written;
}

size_t RowIndex::PeriodKeyHash::operator()(const PeriodKey& key) const {
  size_t hash = static_cast<unsigned>(key.year);
  hash = hash * 1000003u ^ static_cast<unsigned>(key.second);
  return hash * 1000003u ^ static_cast<unsigned>(key.third);
}

RowIndex::RowIndex(const ObservationRow* rows, int rowCount, const PairList& stations, PeriodType periodType,
                   const PeriodFields& first, int periodCount)
    : stationCount(stations.Count()) {
  std::unordered_map<std::string, int> stationPositions;
  std::string number;
  std::string name;
  for (int station = 0; station < stationCount; ++station) {
    stations.GetAt(station, number, name);
    stationPositions.emplace(number, station);
  }
  PeriodFields period = first;
  for (int walkRow = 0; walkRow < periodCount; ++walkRow) {
    periodRows.emplace(PeriodKey{period.year, period.second, period.third}, walkRow);
    AdvancePeriod(periodType, period);
  }
  const size_t cellCount = static_cast<size_t>(periodCount) * stationCount;
  firstRow.reset(new int[cellCount > 0 ? cellCount : 1]);
  std::fill(firstRow.get(), firstRow.get() + cellCount, -1);
  for (int i = 0; i < rowCount; ++i) {
    const ObservationRow& row = rows[i];
    auto periodEntry = periodRows.find(PeriodKey{row.year, row.period2, row.period3});
    if (periodEntry == periodRows.end()) continue;
    auto stationEntry = stationPositions.find(RowStation(row));
    if (stationEntry == stationPositions.end()) continue;
    int& slot = firstRow[static_cast<size_t>(periodEntry->second) * stationCount + stationEntry->second];
    if (slot < 0) slot = i;
  }
}

int RowIndex::PeriodSlot(const PeriodFields& period) const {
  auto entry = periodRows.find(PeriodKey{period.year, period.second, period.third});
  return entry == periodRows.end() ? -1 : entry->second;
}

int RowIndex::Find(int station, int periodSlot) const {
  if (periodSlot < 0 || station < 0 || station >= stationCount) return -1;
  return firstRow[static_cast<size_t>(periodSlot) * stationCount + station];
}
