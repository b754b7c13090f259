// The request's setters, its checks of FROM and TO, and Retrieve over an
// exchange that answers from a script.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "viewer/base/pair_list.h"
#include "viewer/retrieval/observation_statements.h"
#include "viewer/retrieval/query_request.h"

namespace {

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

// A reply of `rows` yearly rows of `station`, as the link hands it over.
std::string YearlyReply(const std::string& station, int rows) {
  std::string reply;
  for (int i = 0; i < rows; ++i) reply += station + "," + std::to_string(1990 + i) + ",\n";
  return reply;
}

struct RetrieveCase {
  int type;
  const char* from;
  const char* to;
  int rowsPerStation;  // what each reply brings, whatever the period counts
};

TEST(Retrieve, KeepsEveryRowTheRepliesBringWhateverThePeriodCounts) {
  const RetrieveCase cases[] = {
      {PERIOD_YEARLY, "1999", "2003", 5},
      {PERIOD_DAILY, "2003/12/31", "2003/12/31", 40},  // more rows than days
      {PERIOD_DAILY, "2003/12/31", "1999/01/01", 3},   // an inverted period
      {PERIOD_MONTHLY, "", "", 2},
      {PERIOD_PENTAD_OF_YEAR, "2000/05", "2001/20", 200},
  };
  PairList stations;
  stations.Add("47412", "札幌");
  stations.Add("47401", "稚内");
  for (const RetrieveCase& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " " + c.to);
    QueryRequest request;
    request.SetStations(stations);
    request.SetPeriod(c.type, c.from, c.to);
    std::vector<std::string> statements;
    int32_t rowCount = -1;
    std::vector<ObservationRow> rows = request.Retrieve(
        [&](const std::string& statement, std::string& reply, int& replyRows) {
          statements.push_back(statement);
          reply = YearlyReply(statements.size() == 1 ? "47401" : "47412", c.rowsPerStation);
          replyRows = c.rowsPerStation;
          return true;
        },
        [](const char*) { ADD_FAILURE() << "no station fails"; }, rowCount);
    ASSERT_EQ(rowCount, 2 * c.rowsPerStation);
    ASSERT_EQ(rows.size(), static_cast<size_t>(rowCount));
    EXPECT_STREQ(rows.front().stationCode, "47401");  // list order: the first station's rows first
    EXPECT_STREQ(rows.back().stationCode, "47412");
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(statements[0], StationStatement(c.type, "47401", request.periodFrom.c_str(), request.periodTo.c_str()));
  }
}

TEST(Retrieve, AFailedStationIsToldAndAnExceptionLeavesTheCountAlone) {
  PairList stations;
  stations.Add("47401", "稚内");
  stations.Add("47412", "札幌");
  QueryRequest request;
  request.SetStations(stations);
  request.SetPeriod(PERIOD_YEARLY, "1999", "2003");
  std::vector<std::string> told;
  int32_t rowCount = -1;
  std::vector<ObservationRow> rows = request.Retrieve(
      [&](const std::string& statement, std::string& reply, int& replyRows) {
        if (statement.find("47401") != std::string::npos) return false;
        reply = YearlyReply("47412", 2);
        replyRows = 2;
        return true;
      },
      [&](const char* station) { told.push_back(station); }, rowCount);
  EXPECT_EQ(told, std::vector<std::string>{"47401"});
  EXPECT_EQ(rowCount, 2);
  EXPECT_STREQ(rows[0].stationCode, "47412");

  rowCount = 7;
  EXPECT_THROW(request.Retrieve([](const std::string&, std::string&, int&) -> bool { throw std::runtime_error("x"); },
                                [](const char*) {}, rowCount),
               std::runtime_error);
  EXPECT_EQ(rowCount, 7);
}

}  // namespace
