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

int PeriodTypeAtRow(int row) {
  MasterTable types(PERIOD_TYPE_FILE);
  if (row < 0 || row >= types.Count()) return 0;
  return std::atoi(types.CodeAt(row).c_str());
}

std::string FormatPeriodSide(int type, const char* year, int field2, int field3) {
  std::string text;
  switch (type) {
    case PERIOD_DAILY: {
      int lastDay = MonthLength(std::atoi(year), field2);
      text = year + ("/" + TwoDigits(field2)) + "/" + TwoDigits(field3 > lastDay ? lastDay : field3);
      break;
    }
    case PERIOD_PENTAD_OF_YEAR:
    case PERIOD_MONTHLY:
      text = year + ("/" + TwoDigits(field2));
      break;
    case PERIOD_PENTAD_OF_MONTH:
    case PERIOD_TEN_DAY:
      text = year + ("/" + TwoDigits(field2)) + "/" + TwoDigits(field3);
      break;
    case PERIOD_YEARLY:
      text = year;
      break;
    default:
      break;
  }
  return PeriodText(text.c_str());
}

PeriodSideCombos PeriodSideControls(int type, PeriodSide side) {
  bool from = side == PeriodSide::From;
  int year = from ? IDC_FROM_YEAR : IDC_TO_YEAR;
  switch (type) {
    case PERIOD_DAILY:
      return {year, from ? IDC_FROM_DAILY_MONTH : IDC_TO_DAILY_MONTH, from ? IDC_FROM_DAILY_DAY : IDC_TO_DAILY_DAY,
              false};
    case PERIOD_PENTAD_OF_YEAR:
      return {year, from ? IDC_FROM_PENTAD : IDC_TO_PENTAD, 0, false};
    case PERIOD_PENTAD_OF_MONTH:
      return {year, from ? IDC_FROM_CAL_MONTH : IDC_TO_CAL_MONTH, from ? IDC_FROM_CAL_PENTAD : IDC_TO_CAL_PENTAD,
              false};
    case PERIOD_TEN_DAY:
      return {year, from ? IDC_FROM_TENDAY_MONTH : IDC_TO_TENDAY_MONTH, from ? IDC_FROM_TENDAY : IDC_TO_TENDAY, true};
    case PERIOD_MONTHLY:
      return {year, from ? IDC_FROM_MONTHLY_MONTH : IDC_TO_MONTHLY_MONTH, 0, false};
    default:
      return {year, 0, 0, false};
  }
}

const int* PeriodControlSet(int type) {
  switch (type) {
    case PERIOD_DAILY: return DAILY_CONTROLS;
    case PERIOD_PENTAD_OF_YEAR: return YEAR_PENTAD_CONTROLS;
    case PERIOD_PENTAD_OF_MONTH: return CALENDAR_PENTAD_CONTROLS;
    case PERIOD_TEN_DAY: return TEN_DAY_CONTROLS;
    case PERIOD_MONTHLY: return MONTHLY_CONTROLS;
    default: return NO_CONTROLS;
  }
}

const int* AllPeriodControls() { return ALL_PERIOD_CONTROLS; }

bool ElementWithheld(int type, int checkBoxId) {
  if (type == PERIOD_DAILY) {
    for (int id : DAILY_WITHHELD) {
      if (id == checkBoxId) return true;
    }
    return false;
  }
  return type == PERIOD_YEARLY && checkBoxId == IDC_PREVAILING_WIND;
}
