// A query's checks (Query::Make, the checks of FROM and TO) and Retrieve over
// an exchange that answers from a script.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "viewer/base/pair_list.h"
#include "viewer/base/query.h"
#include "viewer/retrieval/observation_statements.h"
#include "viewer/retrieval/retrieve.h"

namespace {

int Order(const char* from, const char* to) { return CheckPeriodOrder(Period{PeriodType::Daily, from, to}); }

int Range(PeriodType type, const char* from, const char* to) {
  return CheckPeriodRange(Period{type, from, to}, DataYears());
}

PairList Stations(int count) {
  PairList stations;
  for (int i = 0; i < count; ++i) stations.Add(("4740" + std::to_string(i)).c_str(), "地点");
  return stations;
}

ElementSet Elements(std::initializer_list<int> slots) {
  ElementSet elements;
  for (int slot : slots) elements.set(slot);
  return elements;
}

// The query of these selections within the years 1999 to 2003.
Query QueryOf(const PairList& stations, PeriodType type, const char* from, const char* to) {
  QueryFault fault = QueryFault::None;
  return Query::Make(stations, Period{type, from, to}, Elements({0}), DataYears(), fault).value();
}

TEST(QueryMake, TellsTheFirstCheckTheSelectionsFail) {
  const int MAX_WIND = 4;  // two columns a daily station: value and direction
  const int PRECIPITATION = 6;
  struct Case {
    int stations;
    Period period;
    ElementSet elements;
    QueryFault fault;
  } cases[] = {
      {1, {PeriodType::Daily, "2003/01/01", "2003/01/31"}, Elements({PRECIPITATION}), QueryFault::None},
      {0, {PeriodType::Daily, "2003/02/01", "2003/01/31"}, ElementSet(), QueryFault::NoStation},
      {1, {PeriodType::Daily, "2003/02/01", "2003/01/31"}, ElementSet(), QueryFault::PeriodOrder},
      {1, {PeriodType::Monthly, "1998/12", "1999/01"}, ElementSet(), QueryFault::PeriodRange},
      {1, {PeriodType::Monthly, "1999/01", "1999/02"}, ElementSet(), QueryFault::NoElement},
      // A period without a type, as the form reads it: no FROM and TO.
      {1, {PeriodType::Yearly, "", ""}, Elements({PRECIPITATION}), QueryFault::PeriodRange},
      {255, {PeriodType::Daily, "2003/01/01", "2003/01/01"}, Elements({PRECIPITATION}), QueryFault::None},
      {128, {PeriodType::Daily, "2003/01/01", "2003/01/01"}, Elements({MAX_WIND}), QueryFault::TooManyColumns},
      {127, {PeriodType::Daily, "2003/01/01", "2003/01/01"}, Elements({MAX_WIND}), QueryFault::None},
  };
  for (const Case& c : cases) {
    QueryFault fault = QueryFault::NoStation;
    std::optional<Query> query = Query::Make(Stations(c.stations), c.period, c.elements, DataYears(), fault);
    EXPECT_EQ(static_cast<int>(c.fault), static_cast<int>(fault)) << c.stations << " " << c.period.periodFrom;
    EXPECT_EQ(c.fault == QueryFault::None, query.has_value()) << c.stations << " " << c.period.periodFrom;
  }
}

TEST(QueryMake, KeepsTheStationsAsTheyWereWhenMade) {
  PairList stations;
  stations.Add("47401", "稚内");
  const Query query = QueryOf(stations, PeriodType::Yearly, "1999", "2003");
  stations.Add("47412", "札幌");
  EXPECT_EQ(query.stations.Count(), 1);
}

TEST(QueryMake, CutsTheTextsAt63Bytes) {
  const std::string year2000 = "2000" + std::string(66, '0');
  const Query query = QueryOf(Stations(1), PeriodType::Yearly, year2000.c_str(), year2000.c_str());
  EXPECT_EQ(query.period.periodType, PeriodType::Yearly);
  EXPECT_EQ(query.period.periodFrom, year2000.substr(0, 63));
  EXPECT_EQ(query.period.periodTo, year2000.substr(0, 63));
}

TEST(QueryMake, AnyOneElementIsEnough) {
  for (int position = 0; position < ELEMENT_COUNT; ++position) {
    QueryFault fault = QueryFault::None;
    std::optional<Query> query = Query::Make(Stations(1), Period{PeriodType::Monthly, "2003/01", "2003/02"},
                                             Elements({position}), DataYears(), fault);
    ASSERT_TRUE(query.has_value()) << position;
    EXPECT_TRUE(query->elementFlags.test(position));
    EXPECT_EQ(query->elementFlags.count(), 1u);
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

// The data years in each type's layout, and periods a field past either
// end: the sample's years (1999 to 2003) and an installation's own.
TEST(CheckPeriodRange, AcceptsTheDataYearsInEachLayoutAndNothingBeyond) {
  const DataYears sample;
  const DataYears installed{2012, 2015};
  const struct {
    DataYears years;
    PeriodType type;
    const char* from;
    const char* to;
    bool accepted;
  } cases[] = {
      {sample, PeriodType::Daily, "1999/01/01", "2003/12/31", true},
      {sample, PeriodType::Daily, "1998/12/31", "2003/12/31", false},
      {sample, PeriodType::Daily, "1999/01/01", "2004/01/01", false},
      {sample, PeriodType::PentadOfYear, "1999/01", "2003/73", true},
      {sample, PeriodType::PentadOfYear, "2003/01", "2003/74", false},
      {sample, PeriodType::PentadOfMonth, "1999/01/01", "2003/12/06", true},
      {sample, PeriodType::PentadOfMonth, "2003/12/01", "2004/01/01", false},
      {sample, PeriodType::TenDay, "1999/01/01", "2003/12/03", true},
      {sample, PeriodType::TenDay, "1999/01/01", "2003/12/04", false},
      {sample, PeriodType::Monthly, "1999/01", "2003/12", true},
      {sample, PeriodType::Monthly, "1998/12", "1999/01", false},
      {sample, PeriodType::Yearly, "1999", "2003", true},
      {sample, PeriodType::Yearly, "1999", "2004", false},
      {installed, PeriodType::Daily, "2012/01/01", "2015/12/31", true},
      {installed, PeriodType::Daily, "2011/12/31", "2012/01/01", false},
      {installed, PeriodType::Daily, "2015/12/31", "2016/01/01", false},
      {installed, PeriodType::PentadOfYear, "2012/01", "2015/73", true},
      {installed, PeriodType::PentadOfMonth, "2015/12/06", "2015/12/06", true},
      {installed, PeriodType::TenDay, "2012/01/01", "2015/12/04", false},
      {installed, PeriodType::Monthly, "2012/01", "2013/12", true},
      {installed, PeriodType::Yearly, "1999", "2003", false},
      {installed, PeriodType::Yearly, "2012", "2015", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.accepted, CheckPeriodRange(Period{c.type, c.from, c.to}, c.years))
        << c.years.first << " " << static_cast<int>(c.type) << " " << c.from << " " << c.to;
  }
}

TEST(CheckPeriodRange, YearlyLimitsAreTheYearsAlone) {
  EXPECT_EQ(Range(PeriodType::Yearly, "1999", "2003"), 1);
  EXPECT_EQ(Range(PeriodType::Yearly, "1998", "2003"), 0);
  // Only the four year bytes take part for yearly limits.
  EXPECT_EQ(Range(PeriodType::Yearly, "2003/12/31", "2003/12/31"), 1);
}

TEST(CheckPeriodRange, ComparesExactlyTheLimitLength) {
  // The zero bytes after a shorter text take part: "2003" ends before "/12",
  // so it stays below the upper limit, and "1999" sits below "1999/01/01".
  EXPECT_EQ(Range(PeriodType::Daily, "2000/01/01", "2003"), 1);
  EXPECT_EQ(Range(PeriodType::Daily, "1999", "2000/01/01"), 0);
}

// A reply of `rows` yearly rows of `station`, as the link hands it over.
std::string YearlyReply(const std::string& station, int rows) {
  std::string reply;
  for (int i = 0; i < rows; ++i) reply += station + "," + std::to_string(1990 + i) + ",\n";
  return reply;
}

struct RetrieveCase {
  PeriodType type;
  const char* from;
  const char* to;
  int rowsPerStation;  // what each reply brings, whatever the period counts
};

TEST(Retrieve, KeepsEveryRowTheRepliesBringWhateverThePeriodCounts) {
  const RetrieveCase cases[] = {
      {PeriodType::Yearly, "1999", "2003", 5},
      {PeriodType::Daily, "2003/12/31", "2003/12/31", 40},  // more rows than days
      {PeriodType::Daily, "1999/01/01", "1999/01/01", 3},   // more rows than the one day
      {PeriodType::Monthly, "2003/01", "2003/01", 2},
      {PeriodType::PentadOfYear, "2000/05", "2001/20", 200},
  };
  PairList stations;
  stations.Add("47412", "札幌");
  stations.Add("47401", "稚内");
  for (const RetrieveCase& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " " + c.to);
    const Query query = QueryOf(stations, c.type, c.from, c.to);
    std::vector<std::string> statements;
    int32_t rowCount = -1;
    std::vector<ObservationRow> rows = Retrieve(
        query,
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
    EXPECT_EQ(statements[0], StationStatement(c.type, "47401", c.from, c.to));
  }
}

TEST(Retrieve, AFailedStationIsToldAndAnExceptionLeavesTheCountAlone) {
  PairList stations;
  stations.Add("47401", "稚内");
  stations.Add("47412", "札幌");
  const Query query = QueryOf(stations, PeriodType::Yearly, "1999", "2003");
  std::vector<std::string> told;
  int32_t rowCount = -1;
  std::vector<ObservationRow> rows = Retrieve(
      query,
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
  EXPECT_THROW(Retrieve(
                   query, [](const std::string&, std::string&, int&) -> bool { throw std::runtime_error("x"); },
                   [](const char*) {}, rowCount),
               std::runtime_error);
  EXPECT_EQ(rowCount, 7);
}

}  // namespace
