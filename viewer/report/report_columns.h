// The report's columns: the catalogue of the weather elements in report
// order, the columns each element takes, and the header record of a column.
#pragma once

#include <cstdint>

#include "viewer/retrieval/observation_row.h"

// Texts of the grid (header fields, labels, cells): at most 63 bytes and a zero.
constexpr int REPORT_TEXT_SIZE = 64;
// Number of element flags.
constexpr int ELEMENT_COUNT = 13;

struct HeaderRecord {
  char stationNumber[REPORT_TEXT_SIZE];
  char stationName[REPORT_TEXT_SIZE];
  char element[REPORT_TEXT_SIZE];  // element label, or 現象年月日 or 同風向
  char unit[REPORT_TEXT_SIZE];
};

struct PeriodLabel {
  char text[REPORT_TEXT_SIZE];
};

struct ReportCell {
  char text[REPORT_TEXT_SIZE];
};

// How an element's value prints.
enum class ValueFormat { Whole, Tenths, Direction };

using RowField = int16_t ObservationRow::*;

// One weather element. Its columns are, in this order: a date column when
// `dateFirst` and the period type is not daily, the value column, and the
// direction column when `direction` is set.
struct ElementSpec {
  int flagSlot;  // position of its flag among the ELEMENT_COUNT flags
  const char* label;
  const char* unit;
  ValueFormat format;
  RowField value;
  bool dateFirst;
  RowField month;      // month and day of the extreme (date columns)
  RowField day;
  RowField direction;  // direction code of the extreme, or null
};

// The 13 elements in report order (the order of the form's check boxes).
extern const ElementSpec ELEMENT_CATALOGUE[ELEMENT_COUNT];

// Caption and unit of the extra columns.
extern const char* const DATE_COLUMN_LABEL;       // 現象年月日, empty unit
extern const char* const DIRECTION_COLUMN_LABEL;  // 同風向
extern const char* const DIRECTION_UNIT;          // 16方位

// Columns `element` takes under `periodType`.
int ElementColumns(const ElementSpec& element, int periodType);

// Copies `text` into a REPORT_TEXT_SIZE-byte field, cut to at most 63 bytes
// and never inside a double-byte Shift-JIS character; the rest is zeroed.
void CopyReportText(char* field, const char* text);
