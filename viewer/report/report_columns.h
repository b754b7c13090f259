// The report's grid texts: the header record of a column, the row labels and
// the cells, and the captions of the extra columns an element takes.
#pragma once

#include <cstdint>

#include "viewer/base/element_catalogue.h"
#include "viewer/base/period_fields.h"

// Texts of the grid (header fields, labels, cells): at most 63 bytes and a zero.
constexpr int REPORT_TEXT_SIZE = 64;

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

// Captions of the extra columns (the direction column's unit is DIRECTION_UNIT).
extern const char* const DATE_COLUMN_LABEL;       // 現象年月日, empty unit
extern const char* const DIRECTION_COLUMN_LABEL;  // 同風向

// Copies `text` into a REPORT_TEXT_SIZE-byte field, cut to at most 63 bytes
// and never inside a double-byte Shift-JIS character; the rest is zeroed.
void CopyReportText(char* field, const char* text);

// Writes the header records of `element`'s columns for one station at
// `record` and moves it past them.
void WriteElementColumns(HeaderRecord*& record, const char* number, const char* name, const ElementSpec& element,
                         PeriodType periodType);

// Writes the row label of `period` into `label` (REPORT_TEXT_SIZE bytes):
// "2003/01/05", "2003/第07", "2003/04/第02", "2003/04/中旬", "2003/04",
// "2003".
void FormatPeriodLabel(PeriodType type, const PeriodFields& period, char* label);
