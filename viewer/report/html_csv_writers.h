// Laying the report grid out as HTML table rows or as CSV text, one grid row
// at a time. Grid row r counts the four header rows first (0..3), so the
// first period row is r = 4; grid column 0 holds the captions and labels.
#pragma once

#include <string>

#include "viewer/report/report_columns.h"

constexpr int HEADER_ROWS = 4;

// Captions of column 0 in the header rows.
extern const char* const HEADER_CAPTIONS[HEADER_ROWS];

// The four header rows, as CSV lines when `csv`, else as HTML table rows.
void AppendHeaderRows(std::string& text, const HeaderRecord* header, int columns, bool csv);
// One period row at grid row `gridRow` (the HTML row colour follows its
// parity): its label, then `columns` cells.
void AppendPeriodRow(std::string& text, int gridRow, const PeriodLabel& label, const ReportCell* cells, int columns,
                     bool csv);

// About the bytes of the HTML rows of a grid of `periods` period rows and
// `columns` data columns, header rows included: room to reserve at once, so
// tens of megabytes are seldom copied as the text grows.
size_t HtmlGridBytes(int periods, int columns);

// `plain` (Shift-JIS) as text of an HTML element: "&", "<" and "@" become
// character references, so the text cannot end its element or form a
// template marker; the second byte of a double-byte character is kept.
std::string HtmlText(const std::string& plain);
