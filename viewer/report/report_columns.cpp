#include "viewer/report/report_columns.h"

#include <cstdio>
#include <cstring>

#include "common/shift_jis.h"

const char* const DATE_COLUMN_LABEL = "現象年月日";
const char* const DIRECTION_COLUMN_LABEL = "同風向";

namespace {

const char* const TEN_DAY_NAMES[TEN_DAYS_PER_MONTH] = {"上旬", "中旬", "下旬"};

}  // namespace

void CopyReportText(char* field, const char* text) {
  std::memset(field, 0, REPORT_TEXT_SIZE);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  size_t length = 0;
  while (bytes[length] != 0) {
    size_t width = (IsShiftJisLeadByte(bytes[length]) && bytes[length + 1] != 0) ? 2 : 1;
    if (length + width > REPORT_TEXT_SIZE - 1) break;
    length += width;
  }
  std::memcpy(field, text, length);
}

void WriteElementColumns(HeaderRecord*& record, const char* number, const char* name, const ElementSpec& element,
                         PeriodType periodType) {
  auto write = [&](const char* label, const char* unit) {
    CopyReportText(record->stationNumber, number);
    CopyReportText(record->stationName, name);
    CopyReportText(record->element, label);
    CopyReportText(record->unit, unit);
    ++record;
  };
  if (element.dateFirst && periodType != PeriodType::Daily) write(DATE_COLUMN_LABEL, "");
  write(element.label, element.unit);
  if (element.direction) write(DIRECTION_COLUMN_LABEL, DIRECTION_UNIT);
}

void FormatPeriodLabel(PeriodType type, const PeriodFields& period, char* label) {
  std::memset(label, 0, REPORT_TEXT_SIZE);
  const int y = period.year;
  const int a = period.second;
  const int b = period.third;
  switch (type) {
    case PeriodType::Daily:
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d/%02d/%02d", y, a, b);
      return;
    case PeriodType::PentadOfYear:
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d/第%02d", y, a);
      return;
    case PeriodType::PentadOfMonth:
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d/%02d/第%02d", y, a, b);
      return;
    case PeriodType::TenDay: {
      const char* name = (b >= 1 && b <= TEN_DAYS_PER_MONTH) ? TEN_DAY_NAMES[b - 1] : "";
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d/%02d/%s", y, a, name);
      return;
    }
    case PeriodType::Monthly:
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d/%02d", y, a);
      return;
    case PeriodType::Yearly:
      std::snprintf(label, REPORT_TEXT_SIZE, "%4d", y);
      return;
  }
}
