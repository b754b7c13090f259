// The request's setters, its checks of FROM and TO, and the rows it reserves.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "viewer/base/pair_list.h"
#include "viewer/retrieval/query_request.h"

namespace {

int Capacity(int type, const char* from, const char* to) {
  QueryRequest request;
  request.SetPeriod(type, from, to);
  return request.PeriodCapacity();
}

int Order(const char* from, const char* to) {
  QueryRequest request;
  request.SetPeriod(PERIOD_DAILY, from, to);
  return request.CheckPeriodOrder();
}

int Range(int type, const char* from, const char* to) {
  QueryRequest request;
  request.SetPeriod(type, from, to);
  return request.CheckPeriodRange();
}

TEST(QueryRequest, StartsWithAnEmptyServerAndNoStations) {
  QueryRequest request;
  EXPECT_TRUE(request.server.empty());
  EXPECT_EQ(request.StationCount(), 0);
}

TEST(QueryRequest, KeepsAReferenceToTheStationsNotACopy) {
  PairList stations;
  stations.Add("47401", "稚内");
  QueryRequest request;
  request.SetStations(stations);
  EXPECT_EQ(request.StationCount(), 1);
  stations.Add("47412", "札幌");
  EXPECT_EQ(request.StationCount(), 2);
}

TEST(QueryRequest, SetPeriodCutsTheTextsAt63Bytes) {
  QueryRequest request;
  request.SetPeriod(PERIOD_MONTHLY, std::string(80, 'x').c_str(), "2003/12");
  request.SetPeriod(PERIOD_YEARLY, std::string(70, '1').c_str(), "2003");
  EXPECT_EQ(request.periodType, PERIOD_YEARLY);
  EXPECT_EQ(std::string(request.periodFrom), std::string(63, '1'));
  EXPECT_EQ(std::string(request.periodTo), "2003");
}

TEST(QueryRequest, AnyElementChosenWhenOneFlagIsSet) {
  QueryRequest request;
  int32_t flags[ELEMENT_COUNT] = {};
  request.SetElements(flags);
  EXPECT_FALSE(request.AnyElementChosen());
  for (int position = 0; position < ELEMENT_COUNT; ++position) {
    int32_t one[ELEMENT_COUNT] = {};
    one[position] = 1;
    request.SetElements(one);
    EXPECT_TRUE(request.AnyElementChosen()) << position;
    EXPECT_EQ(request.elementFlags[position], 1);
  }
}

TEST(CheckPeriodOrder, FromNotAfterToAndSameLength) {
  EXPECT_EQ(Order("2003/12/31", "2003/12/31"), 1);
  EXPECT_EQ(Order("2001/05/01", "2002/05/01"), 1);
  EXPECT_EQ(Order("2002/05/01", "2001/05/01"), 0);
  EXPECT_EQ(Order("1999/09", "1999/10"), 1);  // two-digit fields keep the order
  EXPECT_EQ(Order("2003/1", "2003/12"), 0);   // lengths differ
  EXPECT_EQ(Order("", ""), 1);
}

TEST(CheckPeriodRange, AcceptsTheDataYearsInEachLayout) {
  EXPECT_EQ(Range(PERIOD_DAILY, "1999/01/01", "2003/12/31"), 1);
  EXPECT_EQ(Range(PERIOD_PENTAD_OF_YEAR, "1999/01", "2003/73"), 1);
  EXPECT_EQ(Range(PERIOD_PENTAD_OF_MONTH, "1999/01/01", "2003/12/06"), 1);
  EXPECT_EQ(Range(PERIOD_TEN_DAY, "1999/01/01", "2003/12/03"), 1);
  EXPECT_EQ(Range(PERIOD_MONTHLY, "1999/01", "2003/12"), 1);
  EXPECT_EQ(Range(PERIOD_YEARLY, "1999", "2003"), 1);
}

TEST(CheckPeriodRange, RefusesPeriodsOutsideTheDataYears) {
  EXPECT_EQ(Range(PERIOD_DAILY, "1998/12/31", "2003/12/31"), 0);
  EXPECT_EQ(Range(PERIOD_DAILY, "1999/01/01", "2004/01/01"), 0);
  EXPECT_EQ(Range(PERIOD_PENTAD_OF_YEAR, "2003/01", "2003/74"), 0);
  EXPECT_EQ(Range(PERIOD_PENTAD_OF_MONTH, "2003/12/01", "2004/01/01"), 0);
  EXPECT_EQ(Range(PERIOD_TEN_DAY, "1999/01/01", "2003/12/04"), 0);
  EXPECT_EQ(Range(PERIOD_MONTHLY, "1998/12", "1999/01"), 0);
  EXPECT_EQ(Range(PERIOD_YEARLY, "1999", "2004"), 0);
}

TEST(CheckPeriodRange, FollowsTheDataYearsOfTheInstallation) {
  struct Case {
    int type;
    const char* from;
    const char* to;
    int good;
  } cases[] = {
      {PERIOD_DAILY, "2012/01/01", "2015/12/31", 1},   {PERIOD_DAILY, "2011/12/31", "2012/01/01", 0},
      {PERIOD_DAILY, "2015/12/31", "2016/01/01", 0},   {PERIOD_PENTAD_OF_YEAR, "2012/01", "2015/73", 1},
      {PERIOD_PENTAD_OF_MONTH, "2015/12/06", "2015/12/06", 1}, {PERIOD_TEN_DAY, "2012/01/01", "2015/12/04", 0},
      {PERIOD_MONTHLY, "2012/01", "2013/12", 1},       {PERIOD_YEARLY, "1999", "2003", 0},
      {PERIOD_YEARLY, "2012", "2015", 1},
  };
  for (const Case& c : cases) {
    QueryRequest request;
    request.dataYears = {2012, 2015};
    request.SetPeriod(c.type, c.from, c.to);
    EXPECT_EQ(c.good, request.CheckPeriodRange()) << c.type << " " << c.from << " " << c.to;
  }
}

TEST(CheckPeriodRange, UnknownTypesUseTheYearlyLimits) {
  EXPECT_EQ(Range(0, "1999", "2003"), 1);
  EXPECT_EQ(Range(9, "1998", "2003"), 0);
  // Only the four year bytes take part for yearly limits.
  EXPECT_EQ(Range(9, "2003/12/31", "2003/12/31"), 1);
}

TEST(CheckPeriodRange, ComparesExactlyTheLimitLength) {
  // The zero bytes after a shorter text take part: "2003" ends before "/12",
  // so it stays below the upper limit, and "1999" sits below "1999/01/01".
  EXPECT_EQ(Range(PERIOD_DAILY, "2000/01/01", "2003"), 1);
  EXPECT_EQ(Range(PERIOD_DAILY, "1999", "2000/01/01"), 0);
}

TEST(PeriodCapacity, DailyCountsCalendarDaysBothEndsIncluded) {
  EXPECT_EQ(Capacity(PERIOD_DAILY, "1999/01/01", "2003/12/31"), 1826);
  EXPECT_EQ(Capacity(PERIOD_DAILY, "2000/02/28", "2000/03/01"), 3);
  EXPECT_EQ(Capacity(PERIOD_DAILY, "1999/12/31", "2000/01/01"), 2);
  EXPECT_EQ(Capacity(PERIOD_DAILY, "2001/02/28", "2001/03/01"), 2);
  EXPECT_EQ(Capacity(PERIOD_DAILY, "2100/02/28", "2100/03/01"), 2);  // century rule
  EXPECT_EQ(Capacity(PERIOD_DAILY, "2400/02/28", "2400/03/01"), 3);
  EXPECT_EQ(Capacity(PERIOD_DAILY, "2003/12/31", "2003/12/31"), 1);
}

TEST(PeriodCapacity, PentadsAndMonthsOverReserveAcrossYears) {
  EXPECT_EQ(Capacity(PERIOD_PENTAD_OF_YEAR, "2000/05", "2001/20"), 160);
  EXPECT_EQ(Capacity(PERIOD_PENTAD_OF_YEAR, "2000/01", "2000/73"), 73);
  EXPECT_EQ(Capacity(PERIOD_MONTHLY, "2000/05", "2001/07"), 27);
  EXPECT_EQ(Capacity(PERIOD_MONTHLY, "1999/01", "2003/12"), 72);
  EXPECT_EQ(Capacity(PERIOD_MONTHLY, "2003/04", "2003/04"), 1);
}

TEST(PeriodCapacity, PartsOfMonthsAndYearsAreExact) {
  EXPECT_EQ(Capacity(PERIOD_PENTAD_OF_MONTH, "2000/05/02", "2001/07/05"), 88);
  EXPECT_EQ(Capacity(PERIOD_TEN_DAY, "2000/05/02", "2001/07/01"), 42);
  EXPECT_EQ(Capacity(PERIOD_YEARLY, "1999", "2003"), 5);
  EXPECT_EQ(Capacity(8, "1999/05", "2003/01"), 5);
}

TEST(PeriodCapacity, NeverNegativeForAnInvertedOrEmptyPeriod) {
  EXPECT_EQ(Capacity(PERIOD_DAILY, "2003/12/31", "1999/01/01"), 0);
  EXPECT_EQ(Capacity(PERIOD_YEARLY, "2003", "1999"), 0);
  EXPECT_EQ(Capacity(PERIOD_MONTHLY, "", ""), 1);
  EXPECT_EQ(Capacity(PERIOD_DAILY, "", ""), 1);
}

}  // namespace
