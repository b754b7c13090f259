#include "viewer/base/element_catalogue.h"

#include "viewer/base/period_fields.h"

const char* const DIRECTION_UNIT = "16方位";

namespace {

const char* const MILLIMETRES = "mm";
const char* const METRES_PER_SECOND = "m/s";
const char* const HOURS = "h";
const char* const DEGREES = "℃";

using R = ObservationRow;

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

int ElementColumns(const ElementSpec& element, PeriodType periodType) {
  int columns = 1;
  if (element.dateFirst && periodType != PeriodType::Daily) ++columns;
  if (element.direction) ++columns;
  return columns;
}

int ChosenElements(const ElementSet& elementFlags, const ElementSpec** chosen) {
  int count = 0;
  for (const ElementSpec& element : ELEMENT_CATALOGUE) {
    if (elementFlags.test(element.flagSlot)) chosen[count++] = &element;
  }
  return count;
}

int ColumnsPerStation(const ElementSet& elementFlags, PeriodType periodType) {
  int columns = 0;
  for (const ElementSpec& element : ELEMENT_CATALOGUE) {
    if (elementFlags.test(element.flagSlot)) columns += ElementColumns(element, periodType);
  }
  return columns;
}
