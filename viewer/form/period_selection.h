// Period selection of the query form without the form: the period types, the
// per-type FROM and TO controls, the elements a type withholds, and the
// period texts built from the chosen fields.
#pragma once

#include <optional>
#include <string>

#include "viewer/base/element_catalogue.h"
#include "viewer/base/period_fields.h"

// The period-type master file.
constexpr const char* PERIOD_TYPE_FILE = "M_KISYU.dat";

// The type of the period-type combo's row `row`: the integer in the first
// field of that row of M_KISYU.dat. No type for a row that does not exist
// (no selection, empty or missing file) or whose number is outside 1..6.
std::optional<PeriodType> PeriodTypeAtRow(int row);

// One side (FROM or TO) of the period of `type`:
//   daily      "%s/%02d/%02d"  year, month = field2, day = field3, the day
//                              clamped to the last day of that month in
//                              that year (the year text read as a number)
//   pentads, ten-day parts "%s/%02d/%02d" or "%s/%02d" (year pentad)
//   monthly    "%s/%02d"       year, month = field2
//   yearly     "%s"            year
// The text is cut to PERIOD_TEXT_MAX bytes (PeriodText).
std::string FormatPeriodSide(PeriodType type, const char* yearText, int field2, int field3);

// The per-type FROM and TO controls (combos and their labels) of `type`, for
// showing one set and hiding the others. Sets end with a 0 id; no type has
// an empty set.
const int* PeriodControlSet(std::optional<PeriodType> type);

// The combos one side of a period is read from: the year, the second field
// (month or pentad of the year) and the third field (day, pentad of the
// month or ten-day part); 0 where the type has no such field. The ten-day
// combo lists 上旬, 中旬, 下旬, so its field is the selected row plus 1; every
// other field is the selected row's text read as a number.
struct PeriodSideCombos {
  int year;
  int field2;
  int field3;
  bool field3IsRowNumber;
};
enum class PeriodSide { From, To };
PeriodSideCombos PeriodSideControls(PeriodType type, PeriodSide side);

// Every per-type control of every type, 0-terminated.
const int* AllPeriodControls();

// True when `type` withholds the element check box `checkBoxId`: daily
// data has no 日最大降水量, 平均最高気温, 平均最低気温 or 積算気温, yearly data
// no 最多風向; no type withholds none.
bool ElementWithheld(std::optional<PeriodType> type, int checkBoxId);

// The element check boxes in flag order: position i of the element flags is
// the check state of ELEMENT_CHECK_BOXES[i].
extern const int ELEMENT_CHECK_BOXES[ELEMENT_COUNT];
