// A FROM or TO period text split at "/" into its year, second and third field,
// each kept both as the text (for the statements, which take it unchanged)
// and as its decimal value (for the statements' decisions and the row counts).
#pragma once

constexpr int PERIOD_FIELD_SIZE = 64;  // bytes per field text, zero included
constexpr int PERIOD_FIELD_COUNT = 3;

struct PeriodTexts {
  char field[PERIOD_FIELD_COUNT][PERIOD_FIELD_SIZE];  // "" for a field not present
  int value[PERIOD_FIELD_COUNT];                      // 0 for a field not present
};

// Splits a zero-terminated period text such as "2000/05/10".
PeriodTexts SplitPeriodTexts(const char* periodText);
