// The weather elements the viewer offers: their order in the report, their
// flags on the form, their labels and units, and which values of an
// observation row they show.
#pragma once

#include <bitset>
#include <cstdint>

#include "viewer/base/observation_row.h"
#include "viewer/base/period_fields.h"

// Number of element flags.
constexpr int ELEMENT_COUNT = 13;

// The chosen elements, one bit per flag position: 0 積算気温, 1 最低気温,
// 2 最多風向, 3 最高気温, 4 最大風速, 5 日照時間, 6 降水量, 7 時最大降水量,
// 8 日最大降水量, 9 平均最低気温, 10 平均最高気温, 11 平均気温, 12 平均風速.
using ElementSet = std::bitset<ELEMENT_COUNT>;

// How an element's value prints.
enum class ValueFormat { Whole, Tenths, Direction };

using RowField = int16_t ObservationRow::*;

// One weather element. Its columns are, in this order: a date column when
// `dateFirst` and the period type is not daily, the value column, and the
// direction column when `direction` is set.
struct ElementSpec {
  int flagSlot;  // position of its flag among the ELEMENT_COUNT flags
  const char* label;
  const char* unit;
  ValueFormat format;
  RowField value;
  bool dateFirst;
  RowField month;      // month and day of the extreme (date columns)
  RowField day;
  RowField direction;  // direction code of the extreme, or null
};

// The 13 elements in report order (the order of the form's check boxes).
extern const ElementSpec ELEMENT_CATALOGUE[ELEMENT_COUNT];

// Unit of wind directions: of 最多風向 and of the direction columns.
extern const char* const DIRECTION_UNIT;  // 16方位

// Columns `element` takes under `periodType`.
int ElementColumns(const ElementSpec& element, PeriodType periodType);

// The elements of `elementFlags` into `chosen` (room for ELEMENT_COUNT), in
// report order; returns how many.
int ChosenElements(const ElementSet& elementFlags, const ElementSpec** chosen);

// Columns one station takes in a report of `elementFlags` under `periodType`.
int ColumnsPerStation(const ElementSet& elementFlags, PeriodType periodType);
