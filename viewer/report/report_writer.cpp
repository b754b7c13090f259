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

ReportWriter::ReportWriter(const Query& query) : query(query) {}

int ReportWriter::ColumnsPerStation() const {
  return ::ColumnsPerStation(query.elementFlags, query.period.periodType);
}

int ReportWriter::TotalColumns() const { return ColumnsPerStation() * query.stations.Count(); }

PeriodFields ReportWriter::FirstPeriod() const { return ReadPeriodFields(query.period.periodFrom.c_str()); }

bool ReportWriter::MakeReport(const Query& query, OutputMode mode, const ObservationRow* rows, int rowCount,
                              std::string& path, std::string& error) {
  try {
    const ReportWriter writer(query);
    const bool csv = mode == OutputMode::Csv;
    std::unique_ptr<HeaderRecord[]> header = writer.BuildHeader();
    std::string grid;
    AppendHeaderRows(grid, header.get(), writer.TotalColumns(), csv);
    header.reset();
    writer.AppendPeriodRows(grid, rows, rowCount, csv);
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
  const int elementCount = ChosenElements(query.elementFlags, chosen);
  std::unique_ptr<HeaderRecord[]> header(new HeaderRecord[TotalColumns()]());
  HeaderRecord* record = header.get();
  std::string number;
  std::string name;
  for (int station = 0; station < query.stations.Count(); ++station) {
    query.stations.GetAt(station, number, name);
    for (int i = 0; i < elementCount; ++i) {
      WriteElementColumns(record, number.c_str(), name.c_str(), *chosen[i], query.period.periodType);
    }
  }
  return header;
}

std::unique_ptr<PeriodLabel[]> ReportWriter::BuildPeriodLabels(const Period& period) {
  const int count = CountPeriods(period);
  std::unique_ptr<PeriodLabel[]> labels(new PeriodLabel[count]());
  PeriodFields fields = ReadPeriodFields(period.periodFrom.c_str());
  for (int row = 0; row < count; ++row) {
    FormatPeriodLabel(period.periodType, fields, labels[row].text);
    AdvancePeriod(period.periodType, fields);
  }
  return labels;
}

void ReportWriter::FillPeriodCells(const PeriodFields& period, const ObservationRow* rows, const RowIndex& index,
                                   ReportCell* cells, int& cellNumber) const {
  const ElementSpec* chosen[ELEMENT_COUNT];
  const int elementCount = ChosenElements(query.elementFlags, chosen);
  const int columns = ColumnsPerStation();
  const int periodSlot = index.PeriodSlot(period);
  for (int station = 0; station < query.stations.Count(); ++station) {
    const int found = index.Find(station, periodSlot);
    if (found < 0) {
      for (int column = 0; column < columns; ++column) FormatMissing(cells[cellNumber++].text);
      continue;
    }
    for (int i = 0; i < elementCount; ++i) {
      cellNumber += WriteElementCells(*chosen[i], query.period.periodType, rows[found], cells + cellNumber);
    }
  }
}

std::unique_ptr<ReportCell[]> ReportWriter::BuildCells(const ObservationRow* rows, int rowCount) const {
  const PeriodType type = query.period.periodType;
  const int periodCount = CountPeriods(query.period);
  const size_t cellCount = static_cast<size_t>(periodCount) * TotalColumns();
  std::unique_ptr<ReportCell[]> cells(new ReportCell[cellCount > 0 ? cellCount : 1]());
  const PeriodFields first = FirstPeriod();
  const RowIndex index(rows, rowCount, query.stations, type, first, periodCount);
  PeriodFields period = first;
  int cellNumber = 0;
  for (int row = 0; row < periodCount; ++row) {
    FillPeriodCells(period, rows, index, cells.get(), cellNumber);
    AdvancePeriod(type, period);
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
  const int periods = CountPeriods(query.period);
  std::string text;
  AppendHeaderRows(text, header, columns, csv);
  for (int period = 0; period < periods; ++period) {
    AppendPeriodRow(text, HEADER_ROWS + period, labels[period], cells + static_cast<size_t>(period) * columns,
                    columns, csv);
  }
  return text;
}

void ReportWriter::AppendPeriodRows(std::string& text, const ObservationRow* rows, int rowCount, bool csv) const {
  const PeriodType type = query.period.periodType;
  const int columns = TotalColumns();
  const int periods = CountPeriods(query.period);
  const PeriodFields first = FirstPeriod();
  const RowIndex index(rows, rowCount, query.stations, type, first, periods);
  std::unique_ptr<ReportCell[]> rowCells(new ReportCell[columns > 0 ? columns : 1]);
  PeriodLabel label;
  PeriodFields period = first;
  for (int row = 0; row < periods; ++row) {
    std::memset(rowCells.get(), 0, sizeof(ReportCell) * columns);
    int cellNumber = 0;
    FillPeriodCells(period, rows, index, rowCells.get(), cellNumber);
    FormatPeriodLabel(type, period, label.text);
    AppendPeriodRow(text, HEADER_ROWS + row, label, rowCells.get(), columns, csv);
    AdvancePeriod(type, period);
  }
}

bool ReportWriter::WriteTempHtml(const std::string& text, std::string& path, std::string& error) {
  return WriteTempReport(HTML_FILE_NAME, text, false, path, error);
}

bool ReportWriter::WriteTempCsv(const std::string& text, std::string& path, std::string& error) {
  return WriteTempReport(CSV_FILE_NAME, text, true, path, error);
}
