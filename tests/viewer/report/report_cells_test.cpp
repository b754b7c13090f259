#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/viewer/report/report_test_support.h"
#include "viewer/report/report_writer.h"
#include "viewer/report/value_formatting.h"

namespace {

using namespace report_test;

std::string Whole(int16_t value) {
  char cell[REPORT_TEXT_SIZE];
  FormatWhole(value, cell);
  return cell;
}

std::string Tenths(int16_t value) {
  char cell[REPORT_TEXT_SIZE];
  FormatTenths(value, cell);
  return cell;
}

std::string Direction(int16_t code) {
  char cell[REPORT_TEXT_SIZE];
  FormatDirection(code, cell);
  return cell;
}

TEST(ValueFormats, WholeNumbersAndTenths) {
  EXPECT_EQ("12", Whole(12));
  EXPECT_EQ("-3", Whole(-3));
  EXPECT_EQ("0", Whole(0));
  EXPECT_EQ("-32768", Whole(-32768));
  EXPECT_EQ("*****", Whole(MISSING_VALUE));
  EXPECT_EQ("25.3", Tenths(253));
  EXPECT_EQ("-0.5", Tenths(-5));
  EXPECT_EQ("0.0", Tenths(0));
  EXPECT_EQ("-12.3", Tenths(-123));
  EXPECT_EQ("3276.6", Tenths(32766));
  EXPECT_EQ("*****", Tenths(MISSING_VALUE));
}

TEST(ValueFormats, EverySixteenBitValuePrintsAsTheStandardFormatsDo) {
  char expected[REPORT_TEXT_SIZE];
  for (int value = -32768; value < MISSING_VALUE; ++value) {
    const int16_t v = static_cast<int16_t>(value);
    std::snprintf(expected, sizeof expected, "%d", value);
    ASSERT_EQ(expected, Whole(v));
    std::snprintf(expected, sizeof expected, "%.1f", v * 0.1);
    ASSERT_EQ(expected, Tenths(v));
  }
}

TEST(ValueFormats, DatesFollowTheirValue) {
  char cell[REPORT_TEXT_SIZE];
  FormatDate(5, 2003, 2, 2, cell);
  EXPECT_EQ("2003/02/02", std::string(cell));
  FormatDate(MISSING_VALUE, 2003, 2, 2, cell);
  EXPECT_EQ("*****", std::string(cell));
  FormatDate(0, 2003, MISSING_VALUE, 0, cell);  // only the value decides
  EXPECT_EQ("2003/32767/00", std::string(cell));
}

TEST(ValueFormats, DirectionNamesAndUnknownCodes) {
  EXPECT_EQ("静穏", Direction(0));
  EXPECT_EQ("北北東", Direction(1));
  EXPECT_EQ("南", Direction(8));
  EXPECT_EQ("北", Direction(16));
  EXPECT_EQ("*****", Direction(17));
  EXPECT_EQ("*****", Direction(-1));
  EXPECT_EQ("*****", Direction(MISSING_VALUE));
}

// A report of two stations over a few periods, read back cell by cell.
class ReportCells : public ::testing::Test {
 protected:
  void SetUp() override {
    stations.Add("47401", "稚内");
    stations.Add("47412", "札幌");
  }

  void Choose(PeriodType type, const char* from, const char* to, const Flags& flags) {
    query.emplace(QueryOf(stations, type, from, to, flags));
  }

  // Every period row's cells, one row after the other.
  Texts CellsOf(const std::vector<ObservationRow>& rows) {
    Texts texts;
    for (const Texts& row : PeriodRowsOf(*query, rows)) texts.insert(texts.end(), row.begin() + 1, row.end());
    return texts;
  }

  PairList stations;
  std::optional<Query> query;
};

TEST_F(ReportCells, DailyValuesHaveNoDateColumns) {
  Choose(PeriodType::Daily, "2003/01/31", "2003/02/01", Flags{MAX_TEMP, MIN_TEMP});
  ObservationRow a = Row("47401", 2003, 1, 31);
  a.maxTemp = -5;
  a.minTemp = -123;
  ObservationRow b = Row("47412", 2003, 2, 1);  // max and min stay 0: a value, not a missing mark
  ObservationRow c = Row("47401", 2003, 2, 1);
  c.maxTemp = MISSING_VALUE;
  c.minTemp = 7;
  EXPECT_EQ((Texts{"-0.5", "-12.3", "*****", "*****",  //
                   "*****", "0.7", "0.0", "0.0"}),
            CellsOf({b, c, a}));
}

TEST_F(ReportCells, WindColumnsOfOtherPeriods) {
  Choose(PeriodType::Yearly, "2002", "2003", Flags{MAX_WIND, PREVAILING_WIND});
  ObservationRow calm = Row("47401", 2002, 0, 0);
  calm.maxWindSpeed = 12;
  calm.maxWindDirection = 0;
  calm.maxWindMonth = 12;
  calm.maxWindDay = 31;
  calm.prevailingWindDirection = 16;
  ObservationRow noDirection = Row("47412", 2002, 0, 0);
  noDirection.maxWindSpeed = 30;
  noDirection.maxWindDirection = MISSING_VALUE;
  noDirection.maxWindMonth = 2;
  noDirection.maxWindDay = 2;
  noDirection.prevailingWindDirection = MISSING_VALUE;
  ObservationRow noSpeed = Row("47401", 2003, 0, 0);
  noSpeed.maxWindSpeed = MISSING_VALUE;
  noSpeed.maxWindDirection = 4;
  noSpeed.maxWindMonth = 3;
  noSpeed.prevailingWindDirection = 17;
  ObservationRow unknown = Row("47412", 2003, 0, 0);
  unknown.maxWindSpeed = 5;
  unknown.maxWindDirection = 20;
  unknown.maxWindMonth = 7;
  unknown.maxWindDay = 14;
  unknown.prevailingWindDirection = 3;
  EXPECT_EQ((Texts{"2002/12/31", "12", "静穏", "北",  //
                   "2002/02/02", "30", "*****", "*****",
                   "*****", "*****", "*****", "*****",  //
                   "2003/07/14", "5", "*****", "東北東"}),
            CellsOf({calm, noDirection, noSpeed, unknown}));
}

TEST_F(ReportCells, PrecipitationDatesAndEveryTenthsElement) {
  Choose(PeriodType::Monthly, "2003/08", "2003/08",
         Flags{PRECIPITATION, MAX_HOURLY_PRECIP, MAX_DAILY_PRECIP, MEAN_WIND, SUNSHINE, MEAN_TEMP, MEAN_MAX_TEMP,
               MEAN_MIN_TEMP, ACCUMULATED_TEMP});
  ObservationRow row = Row("47412", 2003, 8, 0);
  row.precipitation = 250;
  row.maxHourlyPrecip = 31;
  row.maxHourlyPrecipMonth = 8;
  row.maxHourlyPrecipDay = 5;
  row.maxDailyPrecip = MISSING_VALUE;
  row.maxDailyPrecipMonth = 8;
  row.maxDailyPrecipDay = 6;
  row.meanWindSpeed = 34;
  row.sunshineHours = 1805;
  row.meanTemp = 221;
  row.meanMaxTemp = 265;
  row.meanMinTemp = 190;
  row.accumulatedTemp = 6851;
  Texts missingStation(11, "*****");
  Texts expected = missingStation;
  Texts filled = {"250", "2003/08/05", "31", "*****", "*****", "3.4", "180.5", "22.1", "26.5", "19.0", "6851"};
  expected.insert(expected.end(), filled.begin(), filled.end());
  EXPECT_EQ(expected, CellsOf({row}));
}

TEST_F(ReportCells, RowsMatchOnlyOnTheWholePeriodAndStationNumber) {
  Choose(PeriodType::Monthly, "2003/01", "2003/01", Flags{PRECIPITATION});
  ObservationRow thirdNotZero = Row("47401", 2003, 1, 1);
  thirdNotZero.precipitation = 1;
  ObservationRow otherYear = Row("47412", 2002, 1, 0);
  otherYear.precipitation = 2;
  ObservationRow shortNumber = Row("4741", 2003, 1, 0);
  shortNumber.precipitation = 3;
  EXPECT_EQ((Texts{"*****", "*****"}), CellsOf({thirdNotZero, otherYear, shortNumber}));
}

TEST_F(ReportCells, TheFirstOfSeveralRowsForOneStationAndPeriodCounts) {
  Choose(PeriodType::Daily, "2003/01/01", "2003/01/02", Flags{PRECIPITATION});
  ObservationRow first = Row("47412", 2003, 1, 1);
  first.precipitation = 10;
  ObservationRow second = first;
  second.precipitation = 20;
  ObservationRow next = Row("47412", 2003, 1, 2);
  next.precipitation = 30;
  EXPECT_EQ((Texts{"*****", "10", "*****", "30"}), CellsOf({first, second, next}));
}

TEST_F(ReportCells, NoRowsGiveOnlyMissingMarks) {
  Choose(PeriodType::TenDay, "2003/12/03", "2004/01/01", Flags{MAX_TEMP});
  EXPECT_EQ(Texts(8, "*****"), CellsOf({}));
}

TEST_F(ReportCells, AStationNumberLongerThanTheRowsNeverMatches) {
  PairList longer;
  longer.Add("47401 ", "稚内");
  stations = longer;
  Choose(PeriodType::Yearly, "2003", "2003", Flags{PRECIPITATION});
  ObservationRow row = Row("47401", 2003, 0, 0);
  EXPECT_EQ((Texts{"*****"}), CellsOf({row}));
}

TEST_F(ReportCells, PentadRowsMatchTheWalkAcrossTheYearEnd) {
  Choose(PeriodType::PentadOfYear, "2002/73", "2003/01", Flags{SUNSHINE});
  ObservationRow last = Row("47401", 2002, 73, 0);
  last.sunshineHours = 99;
  ObservationRow first = Row("47412", 2003, 1, 0);
  first.sunshineHours = 100;
  EXPECT_EQ((Texts{"9.9", "*****", "*****", "10.0"}), CellsOf({first, last}));
}

}  // namespace
