// ReportWriter: the report of one query. MakeReport lays the observation
// rows out on the report grid and writes %TEMP%\temp.html (the page template
// "output.html" with the table rows at "@data" and the grid's texts at
// "@values") or %TEMP%\temp.csv.
//
// The grid: four header rows (station number, station name, element, unit)
// and one row per period from FROM to TO; a caption and label column, then
// one column per station and per value of each chosen element.
//
// Nothing here talks to the user. When MakeReport fails, its `error` holds
// the text to show (the caller shows it in a message box with the
// program's caption): the file that could not be opened or written, the
// template that could not be read, a TEMP folder too long for a path,
// memory running out, or "すでにファイルがオープンしてます。ファイルを閉じて
// ください。" when temp.csv cannot be opened (another program holds it).
#pragma once

#include <memory>
#include <string>

#include "viewer/base/observation_row.h"
#include "viewer/base/period_walk.h"
#include "viewer/base/query.h"
#include "viewer/report/report_columns.h"
#include "viewer/report/report_files.h"

// What a report is written as: an HTML page (表示) or a CSV file (表計算).
enum class OutputMode { Html, Csv };

// The page template and the marker its table rows replace.
constexpr const char* REPORT_TEMPLATE_NAME = "output.html";
constexpr const char* REPORT_TEMPLATE_MARKER = "@data";
// The marker the grid's texts replace, as CSV lines escaped for the page: the
// page's script draws its charts from them while the table is still read.
constexpr const char* REPORT_VALUES_MARKER = "@values";

class RowIndex;

class ReportWriter {
 public:
  // Builds the grid of `query` from the rows and writes it as `mode` says,
  // setting `path` to the file's path; false, with the reason in `error`,
  // when no report was written. A row count of 0 still gives a report.
  static bool MakeReport(const Query& query, OutputMode mode, const ObservationRow* rows, int rowCount,
                         std::string& path, std::string& error);

  // The report of `query`, which must outlive it.
  explicit ReportWriter(const Query& query);

  // Columns one station takes: the sum of the chosen elements' columns.
  int ColumnsPerStation() const;
  // ColumnsPerStation times the number of stations.
  int TotalColumns() const;

  // One HeaderRecord per data column, in column order.
  std::unique_ptr<HeaderRecord[]> BuildHeader() const;

  // The whole grid, header rows first, then one row per period in walk
  // order: CSV lines ending in line feeds (cells never quoted) for
  // OutputMode::Csv, else HTML table rows (no table element of their own).
  std::string GridText(const ObservationRow* rows, int rowCount, OutputMode mode) const;

  // Write the text in text mode to %TEMP%\temp.html or %TEMP%\temp.csv
  // (WriteTempReport).
  static bool WriteTempHtml(const std::string& text, std::string& path, std::string& error);
  static bool WriteTempCsv(const std::string& text, std::string& path, std::string& error);

 private:
  PeriodFields FirstPeriod() const;
  // Writes the cells of one period row for every station, starting at cell
  // number `cellNumber`, which is advanced by one per cell. A station takes
  // its first matching row; one without a row gets the missing mark in each
  // of its columns, so every call writes exactly TotalColumns cells.
  void FillPeriodCells(const PeriodFields& period, const ObservationRow* rows, const RowIndex& index,
                       ReportCell* cells, int& cellNumber) const;
  // Writes the grid as HTML table rows into `html` and as CSV lines into
  // `csv`, each when given, in one walk over the periods through a one-row
  // cell buffer.
  void WriteGrid(const ObservationRow* rows, int rowCount, std::string* html, std::string* csv) const;
  // Puts the table rows and the grid's values into the page template and
  // writes temp.html.
  static bool MergeAndWriteHtml(std::string tableRows, std::string values, std::string& path, std::string& error);

  const Query& query;
};
