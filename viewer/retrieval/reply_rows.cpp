#include "viewer/retrieval/reply_rows.h"

#include <cstring>

#include "viewer/retrieval/decimal_text.h"
#include "viewer/base/period_fields.h"

namespace {

constexpr int VALUE_FIELDS = 27;  // the 16-bit fields of ObservationRow
constexpr int MAX_VALUES = 27;    // most values any table sends per row
constexpr signed char NOT_SUPPLIED = -1;

using ValueField = int16_t ObservationRow::*;

// ObservationRow's value fields in record order; the maps below follow it.
constexpr ValueField VALUE_FIELD_ORDER[VALUE_FIELDS] = {
    &ObservationRow::year,
    &ObservationRow::period2,
    &ObservationRow::period3,
    &ObservationRow::precipitation,
    &ObservationRow::maxDailyPrecip,
    &ObservationRow::maxDailyPrecipMonth,
    &ObservationRow::maxDailyPrecipDay,
    &ObservationRow::maxHourlyPrecip,
    &ObservationRow::maxHourlyPrecipMonth,
    &ObservationRow::maxHourlyPrecipDay,
    &ObservationRow::meanWindSpeed,
    &ObservationRow::maxWindSpeed,
    &ObservationRow::maxWindDirection,
    &ObservationRow::maxWindMonth,
    &ObservationRow::maxWindDay,
    &ObservationRow::prevailingWindDirection,
    &ObservationRow::meanTemp,
    &ObservationRow::accumulatedTemp,
    &ObservationRow::maxTemp,
    &ObservationRow::maxTempMonth,
    &ObservationRow::maxTempDay,
    &ObservationRow::meanMaxTemp,
    &ObservationRow::minTemp,
    &ObservationRow::minTempMonth,
    &ObservationRow::minTempDay,
    &ObservationRow::meanMinTemp,
    &ObservationRow::sunshineHours,
};

// One observation table: values per row, and the reply position of each value
// field (NOT_SUPPLIED: the field stays 0). The tables of calendar pentads,
// ten-day parts and months record only the day of an extreme, so their
// occurrence months take position 2, the row's own month.
struct ReplyLayout {
  int valueCount;
  signed char position[VALUE_FIELDS];
};

constexpr signed char X = NOT_SUPPLIED;

constexpr ReplyLayout DAILY_LAYOUT = {
    18, {2, 3, 7, 8, X, X, X, 9, X, X, 10, 11, 12, X, X, 13, 14, X, 15, X, X, X, 16, X, X, X, 17}};
constexpr ReplyLayout YEAR_ROUND_PENTAD_LAYOUT = {
    27, {1,  2,  X,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
         14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26}};
constexpr ReplyLayout MONTH_PART_LAYOUT = {  // calendar pentads and ten-day parts alike
    23, {1, 2, 3, 4, 5, 2, 6, 7, 2, 8, 9, 10, 11, 2, 12, 13, 14, 15, 16, 2, 17, 18, 19, 2, 20, 21,
         22}};
constexpr ReplyLayout MONTHLY_LAYOUT = {
    22, {1, 2, X, 3, 4, 2, 5, 6, 2, 7, 8, 9, 10, 2, 11, 12, 13, 14, 15, 2, 16, 17, 18, 2, 19, 20,
         21}};
constexpr ReplyLayout YEARLY_LAYOUT = {
    26, {1,  X,  X,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
         13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25}};

// A layout cuts at most MAX_VALUES values and maps only positions it cuts.
constexpr bool FitsItsValues(const ReplyLayout& layout) {
  if (layout.valueCount < 1 || layout.valueCount > MAX_VALUES) return false;
  for (signed char position : layout.position) {
    if (position != NOT_SUPPLIED && (position < 1 || position >= layout.valueCount)) return false;
  }
  return true;
}
static_assert(FitsItsValues(DAILY_LAYOUT) && FitsItsValues(YEAR_ROUND_PENTAD_LAYOUT) &&
                  FitsItsValues(MONTH_PART_LAYOUT) && FitsItsValues(MONTHLY_LAYOUT) && FitsItsValues(YEARLY_LAYOUT),
              "a reply layout maps a value it does not cut");

const ReplyLayout& LayoutOf(PeriodType periodType) {
  switch (periodType) {
    case PeriodType::Daily: return DAILY_LAYOUT;
    case PeriodType::PentadOfYear: return YEAR_ROUND_PENTAD_LAYOUT;
    case PeriodType::PentadOfMonth:
    case PeriodType::TenDay: return MONTH_PART_LAYOUT;
    case PeriodType::Monthly: return MONTHLY_LAYOUT;
    case PeriodType::Yearly: break;
  }
  return YEARLY_LAYOUT;
}

// Where one value lies inside the row.
struct ValueSpan {
  const char* text;
  size_t length;
};

// Cuts the row into `count` values at commas; values past the row's end are
// empty.
void CutValues(const char* row, size_t length, int count, ValueSpan* values) {
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    const char* start = row + at;
    const void* comma = at < length ? std::memchr(start, ',', length - at) : nullptr;
    size_t end = comma != nullptr ? static_cast<size_t>(static_cast<const char*>(comma) - row)
                                  : length;
    values[i] = {start, end - at};
    at = end < length ? end + 1 : length;
  }
}

void CopyStationCode(const ValueSpan& value, char* stationCode) {
  size_t length = value.length < STATION_CODE_SIZE - 1 ? value.length : STATION_CODE_SIZE - 1;
  for (size_t i = 0; i < length; ++i) stationCode[i] = value.text[i];
  stationCode[length] = '\0';
}

}  // namespace

int ReplyValueCount(PeriodType periodType) { return LayoutOf(periodType).valueCount; }

ObservationRow ReadReplyRow(PeriodType periodType, const char* row, size_t length) {
  const ReplyLayout& layout = LayoutOf(periodType);
  ValueSpan values[MAX_VALUES];
  CutValues(row, length, layout.valueCount, values);

  ObservationRow result = {};
  CopyStationCode(values[0], result.stationCode);
  for (int field = 0; field < VALUE_FIELDS; ++field) {
    int position = layout.position[field];
    if (position == NOT_SUPPLIED) continue;
    result.*VALUE_FIELD_ORDER[field] = ReadDecimal16(values[position].text, values[position].length);
  }
  return result;
}

int ReadReplyRows(PeriodType periodType, const char* text, size_t length, int rowCount,
                  std::vector<ObservationRow>& rows) {
  int stored = 0;
  size_t at = 0;
  while (stored < rowCount && at < length) {
    const void* lineFeed = std::memchr(text + at, '\n', length - at);
    size_t end = lineFeed != nullptr ? static_cast<size_t>(static_cast<const char*>(lineFeed) - text)
                                     : length;
    rows.push_back(ReadReplyRow(periodType, text + at, end - at));
    ++stored;
    at = end + 1;
  }
  return stored;
}
