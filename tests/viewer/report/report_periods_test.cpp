#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/base/period_walk.h"
#include "tests/viewer/report/report_test_support.h"
#include "viewer/report/report_writer.h"

namespace {

struct Split {
  int count;
  std::string f1, f2, f3;
};

Split SplitOf(const char* text) {
  PeriodTexts texts = SplitPeriodText(text);
  return Split{texts.count, texts.field[0], texts.field[1], texts.field[2]};
}

// `type` numbered as the period-type master file numbers it.
int Count(int type, const char* from, const char* to) {
  return CountPeriods(Period{static_cast<PeriodType>(type), from, to});
}

// The period labels of a report of one station from `from` to `to`.
std::vector<std::string> Labels(int type, const char* from, const char* to) {
  PairList station;
  station.Add("47401", "稚内");
  const Query query = report_test::QueryOf(station, static_cast<PeriodType>(type), from, to,
                                           report_test::Flags{report_test::PRECIPITATION});
  std::vector<std::string> texts;
  for (const report_test::Texts& row : report_test::PeriodRowsOf(query, {})) texts.push_back(row[0]);
  return texts;
}

using Texts = std::vector<std::string>;

TEST(SplitPeriodText, FillsOneOutputPerFieldAndCountsFields) {
  Split daily = SplitOf("2003/01/05");
  EXPECT_EQ(3, daily.count);
  EXPECT_EQ("2003", daily.f1);
  EXPECT_EQ("01", daily.f2);
  EXPECT_EQ("05", daily.f3);

  Split yearly = SplitOf("2003");
  EXPECT_EQ(1, yearly.count);
  EXPECT_EQ("2003", yearly.f1);
  EXPECT_EQ("", yearly.f2);  // fields the text does not have are empty
  EXPECT_EQ("", yearly.f3);
}

TEST(SplitPeriodText, LaterFieldsAllGoToTheThirdOutputTheLastWinning) {
  Split split = SplitOf("a/b/c/d");
  EXPECT_EQ(4, split.count);
  EXPECT_EQ("a", split.f1);
  EXPECT_EQ("b", split.f2);
  EXPECT_EQ("d", split.f3);
}

TEST(SplitPeriodText, EmptyFieldsAndOverlongFields) {
  Split empty = SplitOf("");
  EXPECT_EQ(1, empty.count);
  EXPECT_EQ("", empty.f1);

  Split slashes = SplitOf("//");
  EXPECT_EQ(3, slashes.count);
  EXPECT_EQ("", slashes.f1);
  EXPECT_EQ("", slashes.f2);
  EXPECT_EQ("", slashes.f3);

  std::string longField(100, '7');
  Split cut = SplitOf((longField + "/1").c_str());
  EXPECT_EQ(std::string(63, '7'), cut.f1);
  EXPECT_EQ("1", cut.f2);
}

TEST(PeriodFields, ReadLeadingDigitsOnly) {
  PeriodFields fields = ReadPeriodFields("2003/0x7/ab");
  EXPECT_EQ(2003, fields.year);
  EXPECT_EQ(0, fields.second);
  EXPECT_EQ(0, fields.third);
  EXPECT_EQ(7, ReadPeriodFields("7a/12b").year);
  EXPECT_EQ(PERIOD_FIELD_MAX, LeadingNumber("99999999999999999999"));
}

TEST(LeapYears, FollowTheGregorianRule) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2004));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2003));
  EXPECT_EQ(29, MonthLength(2000, 2));
  EXPECT_EQ(28, MonthLength(1900, 2));
  EXPECT_EQ(31, MonthLength(2003, 12));
  EXPECT_EQ(0, MonthLength(2003, 13));
  EXPECT_EQ(0, MonthLength(2003, 0));
}

TEST(CountPeriods, Daily) {
  EXPECT_EQ(1, Count(1, "2003/12/31", "2003/12/31"));
  EXPECT_EQ(4, Count(1, "2003/02/27", "2003/03/02"));
  EXPECT_EQ(4, Count(1, "2004/02/27", "2004/03/01"));
  EXPECT_EQ(2, Count(1, "2002/12/31", "2003/01/01"));
  EXPECT_EQ(366, Count(1, "2000/01/01", "2000/12/31"));
  EXPECT_EQ(365, Count(1, "1900/01/01", "1900/12/31"));
  EXPECT_EQ(1826, Count(1, "1999/01/01", "2003/12/31"));
  EXPECT_EQ(33, Count(1, "2003/07/31", "2003/09/01"));  // a whole month between two days
  EXPECT_EQ(31 + 366 + 31 + 28 + 5, Count(1, "1999/12/01", "2001/03/05"));
}

TEST(CountPeriods, PentadsTenDaysMonthsAndYears) {
  EXPECT_EQ(4, Count(2, "2002/72", "2003/02"));
  EXPECT_EQ(365, Count(2, "1999/01", "2003/73"));
  EXPECT_EQ(3, Count(3, "2003/04/02", "2003/04/04"));
  EXPECT_EQ(2 * 6 + 2 - 5 + 1, Count(3, "2003/04/05", "2003/06/02"));
  EXPECT_EQ(2, Count(3, "2003/12/06", "2004/01/01"));
  EXPECT_EQ(360, Count(3, "1999/01/01", "2003/12/06"));
  EXPECT_EQ(2, Count(4, "2003/12/03", "2004/01/01"));
  EXPECT_EQ(180, Count(4, "1999/01/01", "2003/12/03"));
  EXPECT_EQ(12, Count(5, "2003/01", "2003/12"));
  EXPECT_EQ(2, Count(5, "2002/12", "2003/01"));
  EXPECT_EQ(5, Count(6, "1999", "2003"));
}

TEST(CountPeriods, ToBeforeFromGivesNoRows) {
  EXPECT_EQ(0, Count(5, "2003/05", "2002/05"));
  EXPECT_EQ(0, Count(6, "2003", "2001"));
}

TEST(CountPeriods, HugeFieldsStayBounded) {
  EXPECT_EQ(PERIOD_COUNT_MAX, Count(1, "0/01/01", "999999999/12/31"));
  EXPECT_EQ(PERIOD_COUNT_MAX, Count(2, "0/01", "99999999999/73"));
}

TEST(PeriodLabels, DailyAcrossMonthLeapDayAndYearEnd) {
  EXPECT_EQ((Texts{"2003/02/27", "2003/02/28", "2003/03/01", "2003/03/02"}), Labels(1, "2003/02/27", "2003/03/02"));
  EXPECT_EQ((Texts{"2004/02/28", "2004/02/29", "2004/03/01"}), Labels(1, "2004/02/28", "2004/03/01"));
  EXPECT_EQ((Texts{"2000/02/28", "2000/02/29", "2000/03/01"}), Labels(1, "2000/02/28", "2000/03/01"));
  EXPECT_EQ((Texts{"2002/12/31", "2003/01/01"}), Labels(1, "2002/12/31", "2003/01/01"));
  EXPECT_EQ((Texts{"2003/04/30", "2003/05/01"}), Labels(1, "2003/04/30", "2003/05/01"));
}

TEST(PeriodLabels, LastLabelOfTheLargestDailyRangeIsItsTo) {
  std::vector<std::string> labels = Labels(1, "1999/01/01", "2003/12/31");
  ASSERT_EQ(1826u, labels.size());
  EXPECT_EQ("2000/02/29", labels[424]);
  EXPECT_EQ("2003/12/31", labels.back());
}

TEST(PeriodLabels, EveryOtherType) {
  EXPECT_EQ((Texts{"2002/第72", "2002/第73", "2003/第01", "2003/第02"}), Labels(2, "2002/72", "2003/02"));
  EXPECT_EQ((Texts{"2003/04/第06", "2003/05/第01"}), Labels(3, "2003/04/06", "2003/05/01"));
  EXPECT_EQ((Texts{"2003/12/第06", "2004/01/第01"}), Labels(3, "2003/12/06", "2004/01/01"));
  EXPECT_EQ((Texts{"2003/04/上旬", "2003/04/中旬", "2003/04/下旬", "2003/05/上旬"}),
            Labels(4, "2003/04/01", "2003/05/01"));
  EXPECT_EQ((Texts{"2003/12/下旬", "2004/01/上旬"}), Labels(4, "2003/12/03", "2004/01/01"));
  EXPECT_EQ((Texts{"2002/12", "2003/01"}), Labels(5, "2002/12", "2003/01"));
  EXPECT_EQ((Texts{"1999", "2000", "2001"}), Labels(6, "1999", "2001"));
}

TEST(PeriodLabels, YearsBelowFourDigitsArePaddedWithBlanks) {
  EXPECT_EQ((Texts{" 999/01"}), Labels(5, "999/01", "999/01"));
}

}  // namespace
