#include "viewer/report/report_writer.h"

#include <cstring>
#include <new>

#include "viewer/base/pair_list.h"
#include "viewer/base/period_walk.h"
#include "viewer/report/html_csv_writers.h"
#include "viewer/report/report_cells.h"
#include "viewer/report/template_merger.h"
#include "viewer/report/value_formatting.h"

namespace {

const char* const OUT_OF_MEMORY = "メモリが不足しているため、帳票を作成できません。";

}  // namespace

ReportWriter::ReportWriter() : outputMode(0), periodType(0), stations(nullptr) {
  std::memset(elementFlags, 0, sizeof elementFlags);
}

void ReportWriter::SetOutputMode(int mode) { outputMode = mode; }

void ReportWriter::SetPeriod(int type, const char* from, const char* to) {
  periodType = type;
  periodFrom = PeriodText(from);
  periodTo = PeriodText(to);
}

void ReportWriter::SetStations(const PairList* chosenStations) { stations = chosenStations; }

void ReportWriter::SetElements(const int flags[ELEMENT_COUNT]) {
  std::memcpy(elementFlags, flags, sizeof elementFlags);
}

int ReportWriter::StationCount() const { return stations ? stations->Count() : 0; }

int ReportWriter::ChosenElements(const ElementSpec** chosen) const {
  int count = 0;
  for (const ElementSpec& element : ELEMENT_CATALOGUE) {
    if (elementFlags[element.flagSlot] == 1) chosen[count++] = &element;
  }
  return count;
}

int ReportWriter::ColumnsPerStation() const {
  const ElementSpec* chosen[ELEMENT_COUNT];
  int count = ChosenElements(chosen);
  int columns = 0;
  for (int i = 0; i < count; ++i) columns += ElementColumns(*chosen[i], periodType);
  return columns;
}

int ReportWriter::TotalColumns() const { return ColumnsPerStation() * StationCount(); }

PeriodFields ReportWriter::FirstPeriod() const { return ReadPeriodFields(periodFrom.c_str()); }

PeriodFields ReportWriter::LastPeriod() const { return ReadPeriodFields(periodTo.c_str()); }

int ReportWriter::CountPeriods() const { return CountPeriodRows(periodType, FirstPeriod(), LastPeriod()); }

bool ReportWriter::MakeReport(const ObservationRow* rows, int rowCount, std::string& path, std::string& error) {
  try {
    const bool csv = outputMode == OUTPUT_MODE_CSV;
    std::unique_ptr<HeaderRecord[]> header = BuildHeader();
    std::string grid;
    AppendHeaderRows(grid, header.get(), TotalColumns(), csv);
    header.reset();
    AppendPeriodRows(grid, rows, rowCount, csv);
    if (csv) return WriteTempCsv(grid, path, error);
    return MergeAndWriteHtml(std::move(grid), path, error);
  } catch (const std::bad_alloc&) {
    error = OUT_OF_MEMORY;
    return false;
  }
}

bool ReportWriter::MergeAndWriteHtml(std::string tableRows, std::string& path, std::string& error) {
  const char* const markers[] = {REPORT_TEMPLATE_MARKER};
  const char* const replacements[] = {tableRows.c_str()};
  std::string page;
  if (!TemplateMerger::MergeTemplate(markers, replacements, 1, REPORT_TEMPLATE_NAME, page, error)) return false;
  tableRows = std::string();
  return WriteTempHtml(page, path, error);
}

std::unique_ptr<HeaderRecord[]> ReportWriter::BuildHeader() const {
  const ElementSpec* chosen[ELEMENT_COUNT];
  const int elementCount = ChosenElements(chosen);
  std::unique_ptr<HeaderRecord[]> header(new HeaderRecord[TotalColumns()]());
  HeaderRecord* record = header.get();
  std::string number;
  std::string name;
  for (int station = 0; station < StationCount(); ++station) {
    stations->GetAt(station, number, name);
    for (int i = 0; i < elementCount; ++i) WriteElementColumns(record, number.c_str(), name.c_str(), *chosen[i], periodType);
  }
  return header;
}

std::unique_ptr<PeriodLabel[]> ReportWriter::BuildPeriodLabels() const {
  const int count = CountPeriods();
  std::unique_ptr<PeriodLabel[]> labels(new PeriodLabel[count]());
  PeriodFields period = FirstPeriod();
  for (int row = 0; row < count; ++row) {
    FormatPeriodLabel(periodType, period, labels[row].text);
    AdvancePeriod(periodType, period);
  }
  return labels;
}

void ReportWriter::FillPeriodCells(const PeriodFields& period, const ObservationRow* rows, const RowIndex& index,
                                   ReportCell* cells, int& cellNumber) const {
  const ElementSpec* chosen[ELEMENT_COUNT];
  const int elementCount = ChosenElements(chosen);
  const int columns = ColumnsPerStation();
  const int periodSlot = index.PeriodSlot(period);
  for (int station = 0; station < StationCount(); ++station) {
    const int found = index.Find(station, periodSlot);
    if (found < 0) {
      for (int column = 0; column < columns; ++column) FormatMissing(cells[cellNumber++].text);
      continue;
    }
    for (int i = 0; i < elementCount; ++i) {
      cellNumber += WriteElementCells(*chosen[i], periodType, rows[found], cells + cellNumber);
    }
  }
}

std::unique_ptr<ReportCell[]> ReportWriter::BuildCells(const ObservationRow* rows, int rowCount) const {
  const int periodCount = CountPeriods();
  const size_t cellCount = static_cast<size_t>(periodCount) * TotalColumns();
  std::unique_ptr<ReportCell[]> cells(new ReportCell[cellCount > 0 ? cellCount : 1]());
  const PeriodFields first = FirstPeriod();
  const RowIndex index(rows, rowCount, stations, periodType, first, periodCount);
  PeriodFields period = first;
  int cellNumber = 0;
  for (int row = 0; row < periodCount; ++row) {
    FillPeriodCells(period, rows, index, cells.get(), cellNumber);
    AdvancePeriod(periodType, period);
  }
  return cells;
}

std::string ReportWriter::BuildHtmlRows(const HeaderRecord* header, const PeriodLabel* labels,
                                        const ReportCell* cells) const {
  return BuildGridText(header, labels, cells, false);
}

std::string ReportWriter::BuildCsvText(const HeaderRecord* header, const PeriodLabel* labels,
                                       const ReportCell* cells) const {
  return BuildGridText(header, labels, cells, true);
}

std::string ReportWriter::BuildGridText(const HeaderRecord* header, const PeriodLabel* labels,
                                        const ReportCell* cells, bool csv) const {
  const int columns = TotalColumns();
  const int periods = CountPeriods();
  std::string text;
  AppendHeaderRows(text, header, columns, csv);
  for (int period = 0; period < periods; ++period) {
    AppendPeriodRow(text, HEADER_ROWS + period, labels[period], cells + static_cast<size_t>(period) * columns,
                    columns, csv);
  }
  return text;
}

void ReportWriter::AppendPeriodRows(std::string& text, const ObservationRow* rows, int rowCount, bool csv) const {
  const int columns = TotalColumns();
  const int periods = CountPeriods();
  const PeriodFields first = FirstPeriod();
  const RowIndex index(rows, rowCount, stations, periodType, first, periods);
  std::unique_ptr<ReportCell[]> rowCells(new ReportCell[columns > 0 ? columns : 1]);
  PeriodLabel label;
  PeriodFields period = first;
  for (int row = 0; row < periods; ++row) {
    std::memset(rowCells.get(), 0, sizeof(ReportCell) * columns);
    int cellNumber = 0;
    FillPeriodCells(period, rows, index, rowCells.get(), cellNumber);
    FormatPeriodLabel(periodType, period, label.text);
    AppendPeriodRow(text, HEADER_ROWS + row, label, rowCells.get(), columns, csv);
    AdvancePeriod(periodType, period);
  }
}

bool ReportWriter::WriteTempHtml(const std::string& text, std::string& path, std::string& error) {
  return WriteTempReport(HTML_FILE_NAME, text, false, path, error);
}

bool ReportWriter::WriteTempCsv(const std::string& text, std::string& path, std::string& error) {
  return WriteTempReport(CSV_FILE_NAME, text, true, path, error);
}
