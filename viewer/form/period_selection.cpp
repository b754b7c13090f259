#include "viewer/form/period_selection.h"

#include <cstdio>
#include <cstdlib>

#include "resources/viewer/resource.h"
#include "viewer/form/master_table.h"

namespace {

// Per type, the FROM and TO controls of the form that belong to it alone.
constexpr int DAILY_CONTROLS[] = {
    IDC_FROM_DAILY_MONTH, IDC_FROM_DAILY_MONTH_LABEL, IDC_FROM_DAILY_DAY, IDC_FROM_DAILY_DAY_LABEL,
    IDC_TO_DAILY_MONTH,   IDC_TO_DAILY_MONTH_LABEL,   IDC_TO_DAILY_DAY,   IDC_TO_DAILY_DAY_LABEL,
    0};
constexpr int YEAR_PENTAD_CONTROLS[] = {IDC_FROM_PENTAD_LABEL, IDC_FROM_PENTAD, IDC_TO_PENTAD_LABEL,
                                        IDC_TO_PENTAD, 0};
constexpr int CALENDAR_PENTAD_CONTROLS[] = {
    IDC_FROM_CAL_MONTH, IDC_FROM_CAL_MONTH_LABEL, IDC_FROM_CAL_PENTAD_LABEL, IDC_FROM_CAL_PENTAD,
    IDC_TO_CAL_MONTH,   IDC_TO_CAL_MONTH_LABEL,   IDC_TO_CAL_PENTAD_LABEL,   IDC_TO_CAL_PENTAD,
    0};
constexpr int TEN_DAY_CONTROLS[] = {IDC_FROM_TENDAY_MONTH, IDC_FROM_TENDAY_MONTH_LABEL, IDC_FROM_TENDAY,
                                    IDC_TO_TENDAY_MONTH,   IDC_TO_TENDAY_MONTH_LABEL,   IDC_TO_TENDAY,
                                    0};
constexpr int MONTHLY_CONTROLS[] = {IDC_FROM_MONTHLY_MONTH, IDC_FROM_MONTHLY_MONTH_LABEL, IDC_TO_MONTHLY_MONTH,
                                    IDC_TO_MONTHLY_MONTH_LABEL, 0};
constexpr int NO_CONTROLS[] = {0};

constexpr int ALL_PERIOD_CONTROLS[] = {
    IDC_FROM_DAILY_MONTH,  IDC_FROM_DAILY_MONTH_LABEL,  IDC_FROM_DAILY_DAY,     IDC_FROM_DAILY_DAY_LABEL,
    IDC_TO_DAILY_MONTH,    IDC_TO_DAILY_MONTH_LABEL,    IDC_TO_DAILY_DAY,       IDC_TO_DAILY_DAY_LABEL,
    IDC_FROM_PENTAD_LABEL, IDC_FROM_PENTAD,             IDC_TO_PENTAD_LABEL,    IDC_TO_PENTAD,
    IDC_FROM_CAL_MONTH,    IDC_FROM_CAL_MONTH_LABEL,    IDC_FROM_CAL_PENTAD_LABEL, IDC_FROM_CAL_PENTAD,
    IDC_TO_CAL_MONTH,      IDC_TO_CAL_MONTH_LABEL,      IDC_TO_CAL_PENTAD_LABEL,   IDC_TO_CAL_PENTAD,
    IDC_FROM_TENDAY_MONTH, IDC_FROM_TENDAY_MONTH_LABEL, IDC_FROM_TENDAY,        IDC_TO_TENDAY_MONTH,
    IDC_TO_TENDAY_MONTH_LABEL, IDC_TO_TENDAY,           IDC_FROM_MONTHLY_MONTH, IDC_FROM_MONTHLY_MONTH_LABEL,
    IDC_TO_MONTHLY_MONTH,  IDC_TO_MONTHLY_MONTH_LABEL,  0};

constexpr int DAILY_WITHHELD[] = {IDC_MAX_DAILY_PRECIP, IDC_MEAN_MAX_TEMP, IDC_MEAN_MIN_TEMP, IDC_ACCUMULATED_TEMP};

// "%02d" of `number`: at least two digits.
std::string TwoDigits(int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02d", number);
  return digits;
}

}  // namespace

const int ELEMENT_CHECK_BOXES[ELEMENT_COUNT] = {
    IDC_ACCUMULATED_TEMP, IDC_MIN_TEMP,      IDC_PREVAILING_WIND,   IDC_MAX_TEMP,         IDC_MAX_WIND_SPEED,
    IDC_SUNSHINE,         IDC_PRECIPITATION, IDC_MAX_HOURLY_PRECIP, IDC_MAX_DAILY_PRECIP, IDC_MEAN_MIN_TEMP,
    IDC_MEAN_MAX_TEMP,    IDC_MEAN_TEMP,     IDC_MEAN_WIND_SPEED};

std::optional<PeriodType> PeriodTypeAtRow(int row) {
  MasterTable types(PERIOD_TYPE_FILE);
  if (row < 0 || row >= types.Count()) return std::nullopt;
  const int code = std::atoi(types.CodeAt(row).c_str());
  if (code < static_cast<int>(PeriodType::Daily) || code > static_cast<int>(PeriodType::Yearly)) return std::nullopt;
  return static_cast<PeriodType>(code);
}

std::string FormatPeriodSide(PeriodType type, const char* year, int field2, int field3) {
  std::string text;
  switch (type) {
    case PeriodType::Daily: {
      int lastDay = MonthLength(std::atoi(year), field2);
      text = year + ("/" + TwoDigits(field2)) + "/" + TwoDigits(field3 > lastDay ? lastDay : field3);
      break;
    }
    case PeriodType::PentadOfYear:
    case PeriodType::Monthly:
      text = year + ("/" + TwoDigits(field2));
      break;
    case PeriodType::PentadOfMonth:
    case PeriodType::TenDay:
      text = year + ("/" + TwoDigits(field2)) + "/" + TwoDigits(field3);
      break;
    case PeriodType::Yearly:
      text = year;
      break;
  }
  return PeriodText(text.c_str());
}

PeriodSideCombos PeriodSideControls(PeriodType type, PeriodSide side) {
  bool from = side == PeriodSide::From;
  int year = from ? IDC_FROM_YEAR : IDC_TO_YEAR;
  switch (type) {
    case PeriodType::Daily:
      return {year, from ? IDC_FROM_DAILY_MONTH : IDC_TO_DAILY_MONTH, from ? IDC_FROM_DAILY_DAY : IDC_TO_DAILY_DAY,
              false};
    case PeriodType::PentadOfYear:
      return {year, from ? IDC_FROM_PENTAD : IDC_TO_PENTAD, 0, false};
    case PeriodType::PentadOfMonth:
      return {year, from ? IDC_FROM_CAL_MONTH : IDC_TO_CAL_MONTH, from ? IDC_FROM_CAL_PENTAD : IDC_TO_CAL_PENTAD,
              false};
    case PeriodType::TenDay:
      return {year, from ? IDC_FROM_TENDAY_MONTH : IDC_TO_TENDAY_MONTH, from ? IDC_FROM_TENDAY : IDC_TO_TENDAY, true};
    case PeriodType::Monthly:
      return {year, from ? IDC_FROM_MONTHLY_MONTH : IDC_TO_MONTHLY_MONTH, 0, false};
    case PeriodType::Yearly:
      break;
  }
  return {year, 0, 0, false};
}

const int* PeriodControlSet(std::optional<PeriodType> type) {
  if (!type) return NO_CONTROLS;
  switch (*type) {
    case PeriodType::Daily: return DAILY_CONTROLS;
    case PeriodType::PentadOfYear: return YEAR_PENTAD_CONTROLS;
    case PeriodType::PentadOfMonth: return CALENDAR_PENTAD_CONTROLS;
    case PeriodType::TenDay: return TEN_DAY_CONTROLS;
    case PeriodType::Monthly: return MONTHLY_CONTROLS;
    case PeriodType::Yearly: break;
  }
  return NO_CONTROLS;
}

const int* AllPeriodControls() { return ALL_PERIOD_CONTROLS; }

bool ElementWithheld(std::optional<PeriodType> type, int checkBoxId) {
  if (type == PeriodType::Daily) {
    for (int id : DAILY_WITHHELD) {
      if (id == checkBoxId) return true;
    }
    return false;
  }
  return type == PeriodType::Yearly && checkBoxId == IDC_PREVAILING_WIND;
}
