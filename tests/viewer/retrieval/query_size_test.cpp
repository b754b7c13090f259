// The size of a query before it runs, and when the viewer asks about it.
#include <gtest/gtest.h>

#include <string>

#include "viewer/base/period_fields.h"
#include "viewer/retrieval/query_size.h"

namespace {

TEST(QuerySize, RowsAreStationsTimesPeriodsOfTheType) {
  struct Case {
    int stations;
    PeriodType type;
    const char* from;
    const char* to;
    int64_t rows;
  } cases[] = {
      {1, PeriodType::Daily, "1999/01/01", "2003/12/31", 1826},  // 2000 is a leap year
      {255, PeriodType::Daily, "1999/01/01", "2003/12/31", 465'630},
      {94, PeriodType::Daily, "1999/01/01", "2003/12/31", 171'644},
      {2, PeriodType::Daily, "2000/02/28", "2000/03/01", 6},
      {3, PeriodType::PentadOfYear, "2000/70", "2001/03", 21},
      {1, PeriodType::PentadOfMonth, "2000/11/05", "2001/01/02", 10},
      {4, PeriodType::TenDay, "2001/03/02", "2001/05/01", 24},
      {10, PeriodType::Monthly, "2000/05", "2001/07", 150},
      {255, PeriodType::Yearly, "1999", "2003", 1275},
      {0, PeriodType::Daily, "1999/01/01", "2003/12/31", 0},
      {-1, PeriodType::Yearly, "1999", "2003", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.rows, QueryRowCount(c.stations, Period{c.type, c.from, c.to}))
        << c.stations << " x " << c.from << ".." << c.to;
  }
}

TEST(QuerySize, ConfirmRowsReadsDigitsAndFallsBackToItsDefault) {
  struct Case {
    const char* value;
    int64_t threshold;
  } cases[] = {
      {"", DEFAULT_CONFIRM_ROWS},      {"0", 0},   {"250000", 250'000}, {" 5000 ", 5'000},
      {"1e5", DEFAULT_CONFIRM_ROWS},   {"-1", DEFAULT_CONFIRM_ROWS},    {"100,000", DEFAULT_CONFIRM_ROWS},
      {"9999999999999", DEFAULT_CONFIRM_ROWS},  {"   ", DEFAULT_CONFIRM_ROWS},
  };
  for (const Case& c : cases) EXPECT_EQ(c.threshold, ConfirmRowsSetting(c.value)) << "\"" << c.value << "\"";
}

TEST(QuerySize, AsksOnlyAboveANonZeroThreshold) {
  struct Case {
    int64_t rows;
    int64_t threshold;
    bool asks;
  } cases[] = {
      {100'000, 100'000, false}, {100'001, 100'000, true}, {465'630, 100'000, true},
      {465'630, 0, false},       {1, 0, false},            {0, 1, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.asks, AsksBeforeFetching(c.rows, c.threshold)) << c.rows << "/" << c.threshold;
}

}  // namespace
