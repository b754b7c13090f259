#include "viewer/report/report_columns.h"

#include <cstring>

#include "common/shift_jis.h"
#include "viewer/form/pair_list.h"
#include "viewer/report/period_walk.h"
#include "viewer/report/report_writer.h"

const char* const DATE_COLUMN_LABEL = "現象年月日";
const char* const DIRECTION_COLUMN_LABEL = "同風向";
const char* const DIRECTION_UNIT = "16方位";

namespace {

const char* const MILLIMETRES = "mm";
const char* const METRES_PER_SECOND = "m/s";
const char* const HOURS = "h";
const char* const DEGREES = "℃";

using R = ObservationRow;

void WriteColumns(HeaderRecord*& record, const char* number, const char* name, const ElementSpec& element,
                  int periodType) {
  auto write = [&](const char* label, const char* unit) {
    CopyReportText(record->stationNumber, number);
    CopyReportText(record->stationName, name);
    CopyReportText(record->element, label);
    CopyReportText(record->unit, unit);
    ++record;
  };
  if (element.dateFirst && periodType != PERIOD_DAILY) write(DATE_COLUMN_LABEL, "");
  write(element.label, element.unit);
  if (element.direction) write(DIRECTION_COLUMN_LABEL, DIRECTION_UNIT);
}

}  // namespace

const ElementSpec ELEMENT_CATALOGUE[ELEMENT_COUNT] = {
    {6, "降水量", MILLIMETRES, ValueFormat::Whole, &R::precipitation, false, nullptr, nullptr, nullptr},
    {7, "時最大降水量", MILLIMETRES, ValueFormat::Whole, &R::maxHourlyPrecip, true, &R::maxHourlyPrecipMonth,
     &R::maxHourlyPrecipDay, nullptr},
    {8, "日最大降水量", MILLIMETRES, ValueFormat::Whole, &R::maxDailyPrecip, true, &R::maxDailyPrecipMonth,
     &R::maxDailyPrecipDay, nullptr},
    {12, "平均風速", METRES_PER_SECOND, ValueFormat::Tenths, &R::meanWindSpeed, false, nullptr, nullptr, nullptr},
    {4, "最大風速", METRES_PER_SECOND, ValueFormat::Whole, &R::maxWindSpeed, true, &R::maxWindMonth, &R::maxWindDay,
     &R::maxWindDirection},
    {2, "最多風向", DIRECTION_UNIT, ValueFormat::Direction, &R::prevailingWindDirection, false, nullptr, nullptr,
     nullptr},
    {5, "日照時間", HOURS, ValueFormat::Tenths, &R::sunshineHours, false, nullptr, nullptr, nullptr},
    {11, "平均気温", DEGREES, ValueFormat::Tenths, &R::meanTemp, false, nullptr, nullptr, nullptr},
    {3, "最高気温", DEGREES, ValueFormat::Tenths, &R::maxTemp, true, &R::maxTempMonth, &R::maxTempDay, nullptr},
    {1, "最低気温", DEGREES, ValueFormat::Tenths, &R::minTemp, true, &R::minTempMonth, &R::minTempDay, nullptr},
    {10, "平均最高気温", DEGREES, ValueFormat::Tenths, &R::meanMaxTemp, false, nullptr, nullptr, nullptr},
    {9, "平均最低気温", DEGREES, ValueFormat::Tenths, &R::meanMinTemp, false, nullptr, nullptr, nullptr},
    {0, "積算気温", DEGREES, ValueFormat::Whole, &R::accumulatedTemp, false, nullptr, nullptr, nullptr},
};

int ElementColumns(const ElementSpec& element, int periodType) {
  int columns = 1;
  if (element.dateFirst && periodType != PERIOD_DAILY) ++columns;
  if (element.direction) ++columns;
  return columns;
}

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

std::unique_ptr<HeaderRecord[]> ReportWriter::BuildHeader() const {
  const ElementSpec* chosen[ELEMENT_COUNT];
  const int elementCount = ChosenElements(chosen);
  std::unique_ptr<HeaderRecord[]> header(new HeaderRecord[TotalColumns()]());
  HeaderRecord* record = header.get();
  char number[SLOT_SIZE];
  char name[SLOT_SIZE];
  for (int station = 0; station < StationCount(); ++station) {
    stations->GetAt(station, number, name);
    for (int i = 0; i < elementCount; ++i) WriteColumns(record, number, name, *chosen[i], periodType);
  }
  return header;
}
