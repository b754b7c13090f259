#include "viewer/report/html_csv_writers.h"

#include <cstring>
#include <string_view>

#include "common/shift_jis.h"


const char* const HEADER_CAPTIONS[HEADER_ROWS] = {"地点番号", "地点名", "データ", "単位"};

namespace {

// Views, not C strings: a report appends them a few million times, and a
// view's length is known without counting its bytes each time.
constexpr std::string_view ROW_OPEN = "<TR>";
constexpr std::string_view ROW_CLOSE = "</TR>";
constexpr std::string_view CELL_CLOSE = "</font></TD>";
constexpr std::string_view HEADER_CAPTION_OPEN = "<TD bgcolor='#003399'><font color='#FFFFFF' size='2'>";
constexpr std::string_view HEADER_CELL_OPEN = "<TD bgcolor='#003399' width='50'><font color='#FFFFFF' size='2'>";
constexpr std::string_view EVEN_LABEL_OPEN = "<TD bgcolor='#CCFFFF'><font size='2'>";
constexpr std::string_view ODD_LABEL_OPEN = "<TD bgcolor='#99CCFF'><font size='2'>";
constexpr std::string_view EVEN_CELL_OPEN = "<TD bgcolor='#CCFFFF' width='50'><font size='2'>";
constexpr std::string_view ODD_CELL_OPEN = "<TD bgcolor='#99CCFF' width='50'><font size='2'>";
constexpr std::string_view RIGHT_OPEN = "<div align='right'>";
constexpr std::string_view RIGHT_CLOSE = "</div>";
// A right-aligned cell of four characters, such as "12.5".
constexpr size_t TYPICAL_HTML_CELL_BYTES =
    EVEN_CELL_OPEN.size() + RIGHT_OPEN.size() + 4 + RIGHT_CLOSE.size() + CELL_CLOSE.size();
constexpr char CSV_SEPARATOR = ',';
constexpr char CSV_LINE_END = '\n';

const char* HeaderField(const HeaderRecord& record, int headerRow) {
  switch (headerRow) {
    case 0:
      return record.stationNumber;
    case 1:
      return record.stationName;
    case 2:
      return record.element;
    default:
      return record.unit;
  }
}

// Numbers and dates start with a digit or a minus sign; they are right-aligned.
bool IsNumeric(const char* text) { return (text[0] >= '0' && text[0] <= '9') || text[0] == '-'; }

void AppendHtmlCell(std::string& text, std::string_view open, const char* content) {
  text += open;
  text += content;
  text += CELL_CLOSE;
}

void AppendHtmlHeaderRows(std::string& text, const HeaderRecord* header, int columns) {
  for (int row = 0; row < HEADER_ROWS; ++row) {
    text += ROW_OPEN;
    AppendHtmlCell(text, HEADER_CAPTION_OPEN, HEADER_CAPTIONS[row]);
    for (int column = 0; column < columns; ++column) {
      AppendHtmlCell(text, HEADER_CELL_OPEN, HeaderField(header[column], row));
    }
    text += ROW_CLOSE;
  }
}

void AppendHtmlPeriodRow(std::string& text, int gridRow, const PeriodLabel& label, const ReportCell* cells,
                         int columns) {
  const bool even = gridRow % 2 == 0;
  const std::string_view cellOpen = even ? EVEN_CELL_OPEN : ODD_CELL_OPEN;
  text += ROW_OPEN;
  AppendHtmlCell(text, even ? EVEN_LABEL_OPEN : ODD_LABEL_OPEN, label.text);
  for (int column = 0; column < columns; ++column) {
    const char* content = cells[column].text;
    text += cellOpen;
    if (IsNumeric(content)) {
      text += RIGHT_OPEN;
      text += content;
      text += RIGHT_CLOSE;
    } else {
      text += content;
    }
    text += CELL_CLOSE;
  }
  text += ROW_CLOSE;
}

void AppendCsvHeaderRows(std::string& text, const HeaderRecord* header, int columns) {
  for (int row = 0; row < HEADER_ROWS; ++row) {
    text += HEADER_CAPTIONS[row];
    for (int column = 0; column < columns; ++column) {
      text += CSV_SEPARATOR;
      text += HeaderField(header[column], row);
    }
    text += CSV_LINE_END;
  }
}

void AppendCsvPeriodRow(std::string& text, const PeriodLabel& label, const ReportCell* cells, int columns) {
  text += label.text;
  for (int column = 0; column < columns; ++column) {
    text += CSV_SEPARATOR;
    text += cells[column].text;
  }
  text += CSV_LINE_END;
}

}  // namespace

void AppendHeaderRows(std::string& text, const HeaderRecord* header, int columns, bool csv) {
  if (csv) {
    AppendCsvHeaderRows(text, header, columns);
  } else {
    AppendHtmlHeaderRows(text, header, columns);
  }
}

void AppendPeriodRow(std::string& text, int gridRow, const PeriodLabel& label, const ReportCell* cells, int columns,
                     bool csv) {
  if (csv) {
    AppendCsvPeriodRow(text, label, cells, columns);
  } else {
    AppendHtmlPeriodRow(text, gridRow, label, cells, columns);
  }
}

size_t HtmlGridBytes(int periods, int columns) {
  return static_cast<size_t>(HEADER_ROWS + periods) * static_cast<size_t>(columns + 1) * TYPICAL_HTML_CELL_BYTES;
}

std::string HtmlText(const std::string& plain) {
  std::string text;
  text.reserve(plain.size());
  bool secondHalf = false;
  for (char c : plain) {
    const bool single = !secondHalf;
    secondHalf = single && IsShiftJisLeadByte(static_cast<unsigned char>(c));
    if (!single) {
      text += c;
      continue;
    }
    switch (c) {
      case '&': text += "&amp;"; break;
      case '<': text += "&lt;"; break;
      case '@': text += "&#64;"; break;
      default: text += c;
    }
  }
  return text;
}
