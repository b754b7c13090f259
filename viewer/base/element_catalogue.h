// The weather elements the viewer offers: their order in the report, their
// flags on the form, their labels and units, and which values of an
// observation row they show.
#pragma once

#include <cstdint>

#include "viewer/base/observation_row.h"

// Number of element flags.
constexpr int ELEMENT_COUNT = 13;

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
int ElementColumns(const ElementSpec& element, int periodType);
