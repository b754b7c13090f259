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
    if (mode == OutputMode::Csv) return WriteTempCsv(writer.GridText(rows, rowCount, mode), path, error);
    std::string tableRows;
    std::string values;
    writer.WriteGrid(rows, rowCount, &tableRows, &values);
    return MergeAndWriteHtml(std::move(tableRows), HtmlText(values), path, error);
  } catch (const std::bad_alloc&) {
    error = OUT_OF_MEMORY;
    return false;
  }
}

std::string ReportWriter::GridText(const ObservationRow* rows, int rowCount, OutputMode mode) const {
  std::string text;
  WriteGrid(rows, rowCount, mode == OutputMode::Html ? &text : nullptr, mode == OutputMode::Csv ? &text : nullptr);
  return text;
}

bool ReportWriter::MergeAndWriteHtml(std::string tableRows, std::string values, std::string& path,
                                     std::string& error) {
  // The values go in first: escaped, they cannot form the table's marker.
  const char* const markers[] = {REPORT_VALUES_MARKER, REPORT_TEMPLATE_MARKER};
  const std::string_view replacements[] = {values, tableRows};
  std::string page;
  if (!TemplateMerger::MergeTemplate(markers, replacements, 2, REPORT_TEMPLATE_NAME, page, error)) return false;
  tableRows = std::string();
  values = std::string();
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

void ReportWriter::WriteGrid(const ObservationRow* rows, int rowCount, std::string* html, std::string* csv) const {
  const PeriodType type = query.period.periodType;
  const int columns = TotalColumns();
  const std::unique_ptr<HeaderRecord[]> header = BuildHeader();
  const int periods = CountPeriods(query.period);
  if (html != nullptr) {
    html->reserve(HtmlGridBytes(periods, columns));
    AppendHeaderRows(*html, header.get(), columns, false);
  }
  if (csv != nullptr) AppendHeaderRows(*csv, header.get(), columns, true);
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
    if (html != nullptr) AppendPeriodRow(*html, HEADER_ROWS + row, label, rowCells.get(), columns, false);
    if (csv != nullptr) AppendPeriodRow(*csv, HEADER_ROWS + row, label, rowCells.get(), columns, true);
    AdvancePeriod(type, period);
  }
}

bool ReportWriter::WriteTempHtml(const std::string& text, std::string& path, std::string& error) {
  return WriteTempReport(HTML_FILE_NAME, text, false, path, error);
}

bool ReportWriter::WriteTempCsv(const std::string& text, std::string& path, std::string& error) {
  return WriteTempReport(CSV_FILE_NAME, text, true, path, error);
}
