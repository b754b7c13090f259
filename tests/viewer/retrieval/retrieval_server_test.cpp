// Retrieval against the reference server on loopback: the rows each period
// type brings back are exactly the rows the database holds for the period, a
// station whose exchange fails is told once, right after its exchange, and
// adds no rows, and failures of the internet layer leave Retrieve as
// exceptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "common/server_link.h"
#include "common/server_statements.h"
#include "platform/internet.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"
#include "viewer/base/pair_list.h"
#include "viewer/retrieval/data_server_exchange.h"
#include "viewer/retrieval/retrieve.h"
#include "viewer/retrieval/reply_rows.h"

namespace {

constexpr int NOT_A_KEY = -1;
// Nothing listens there: the internet layer cannot connect.
constexpr const char* UNREACHABLE_SERVER = TEST_ADDRESS_RETRIEVAL_UNREACHABLE;

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream file(test_support::WindowsPath(path), std::ios::binary);
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::vector<int> SplitNumbers(const std::string& line) {
  std::vector<int> values;
  size_t start = 0;
  while (start <= line.size()) {
    size_t comma = line.find(',', start);
    if (comma == std::string::npos) comma = line.size();
    values.push_back(std::atoi(line.substr(start, comma - start).c_str()));
    start = comma + 1;
  }
  return values;
}

using PeriodKey = std::tuple<int, int, int>;

PeriodKey KeyOfText(const char* period) {
  int fields[3] = {0, 0, 0};
  std::sscanf(period, "%d/%d/%d", &fields[0], &fields[1], &fields[2]);
  return PeriodKey(fields[0], fields[1], fields[2]);
}

// One request of each period type: the table, the reply positions of its
// period fields, and the periods a station has in it, counted by hand.
struct PeriodCase {
  PeriodType type;
  const char* table;
  const char* from;
  const char* to;
  int keyPositions[3];
  int periodsPerStation;
};

const PeriodCase CASES[] = {
    {PeriodType::Daily, "st_data_h", "2000/02/25", "2000/03/05", {2, 3, 7}, 10},
    {PeriodType::Daily, "st_data_h", "1999/12/30", "2000/01/02", {2, 3, 7}, 4},
    {PeriodType::PentadOfYear, "st_data_th", "2000/70", "2001/03", {1, 2, NOT_A_KEY}, 7},
    {PeriodType::PentadOfMonth, "st_data_rh", "2000/11/05", "2001/01/02", {1, 2, 3}, 10},
    {PeriodType::TenDay, "st_data_j", "2001/03/02", "2001/05/01", {1, 2, 3}, 6},
    {PeriodType::Monthly, "st_data_t", "2000/05", "2001/07", {1, 2, NOT_A_KEY}, 15},
    {PeriodType::Yearly, "st_data_n", "1999", "2003", {1, NOT_A_KEY, NOT_A_KEY}, 5},
};

// What Retrieve did, in order: "exchange" for each exchange, "failed <station>"
// for each station told as failed.
using Events = std::vector<std::string>;

// Retrieve with the program's exchange with the data server.
std::vector<ObservationRow> RetrieveRows(const Query& query, const std::string& server, int32_t& rowCount,
                                         Events* events = nullptr) {
  StationExchange exchange =
      DataServerExchange(server, false, nullptr, nullptr, std::make_shared<std::atomic<bool>>(false));
  return Retrieve(
      query,
      [&](const std::string& statement, std::string& reply, int& rows) {
        if (events) events->push_back("exchange");
        return exchange(statement, reply, rows);
      },
      [&](const char* station) {
        if (events) events->push_back(std::string("failed ") + station);
      },
      rowCount);
}

bool RowLess(const ObservationRow& a, const ObservationRow& b) {
  return std::memcmp(&a, &b, sizeof a) < 0;
}

class RetrievalAgainstServer : public ::testing::Test {
 protected:
  void SetUp() override {
    expectedDir = test_support::EnvironmentValue("TARVEX_EXPECTED_DIR");
    server = test_support::EnvironmentValue("TARVEX_SERVER_ADDRESS");
    ASSERT_FALSE(expectedDir.empty()) << "run inside dump_observations.sh";
    ASSERT_FALSE(server.empty()) << "run inside tools/harness/with_server.sh";
    stationNumbers = ReadLines(expectedDir + "/stations.txt");
    ASSERT_EQ(stationNumbers.size(), 2u);
    // As the viewer does: the server serves observations only to an
    // address that signed in.
    ServerLink link(VIEWER_ROW_TERMINATOR);
    link.server = server;
    std::string reply;
    int rows = 0;
    ASSERT_TRUE(link.Execute(SignInStatement("demo", "tarvex"), reply, rows));
    ASSERT_EQ(1, rows);
  }

  // The rows the database holds for `station` within the case's period.
  std::vector<ObservationRow> Expected(const PeriodCase& c, const std::string& station) const {
    PeriodKey from = KeyOfText(c.from);
    PeriodKey to = KeyOfText(c.to);
    std::vector<ObservationRow> rows;
    for (const std::string& line : ReadLines(expectedDir + "/" + c.table + ".csv")) {
      std::vector<int> values = SplitNumbers(line);
      int key[3] = {0, 0, 0};
      for (int i = 0; i < 3; ++i) {
        if (c.keyPositions[i] != NOT_A_KEY) key[i] = values.at(c.keyPositions[i]);
      }
      PeriodKey period(key[0], key[1], key[2]);
      if (line.compare(0, station.size() + 1, station + ",") == 0 && from <= period &&
          period <= to) {
        rows.push_back(ReadReplyRow(c.type, line.data(), line.size()));
      }
    }
    return rows;
  }

  // Every year counts: the server's answer to periods beyond its data is
  // part of what is tested.
  static Query QueryOf(const PairList& stations, PeriodType type, const char* from, const char* to) {
    QueryFault fault = QueryFault::None;
    return Query::Make(stations, Period{type, from, to}, ElementSet().set(0), DataYears{0, 9999}, fault).value();
  }

  std::string expectedDir;
  std::string server;
  std::vector<std::string> stationNumbers;
};

TEST_F(RetrievalAgainstServer, EachPeriodTypeBringsBackExactlyTheStoredRowsStationByStation) {
  PairList stations;
  stations.Add(stationNumbers[0].c_str(), "first");
  stations.Add(stationNumbers[1].c_str(), "second");
  for (const PeriodCase& c : CASES) {
    SCOPED_TRACE(std::string(c.table) + " " + c.from + " " + c.to);
    std::vector<ObservationRow> first = Expected(c, stationNumbers[0]);
    std::vector<ObservationRow> second = Expected(c, stationNumbers[1]);
    ASSERT_EQ(first.size(), static_cast<size_t>(c.periodsPerStation));
    ASSERT_EQ(second.size(), static_cast<size_t>(c.periodsPerStation));

    const Query query = QueryOf(stations, c.type, c.from, c.to);
    int32_t rowCount = 0;
    std::vector<ObservationRow> rows = RetrieveRows(query, server, rowCount);
    ASSERT_EQ(rowCount, 2 * c.periodsPerStation);
    ASSERT_EQ(rows.size(), static_cast<size_t>(rowCount));

    // The first station's rows come first, in whatever order the reply had.
    std::vector<ObservationRow> gotFirst(rows.data(), rows.data() + c.periodsPerStation);
    std::vector<ObservationRow> gotSecond(rows.data() + c.periodsPerStation,
                                          rows.data() + rowCount);
    for (auto* group : {&first, &second, &gotFirst, &gotSecond}) {
      std::sort(group->begin(), group->end(), RowLess);
    }
    EXPECT_EQ(std::memcmp(gotFirst.data(), first.data(), first.size() * sizeof first[0]), 0);
    EXPECT_EQ(std::memcmp(gotSecond.data(), second.data(), second.size() * sizeof second[0]), 0);
    EXPECT_STREQ(rows.data()[0].stationCode, stationNumbers[0].c_str());
  }
}

TEST_F(RetrievalAgainstServer, DailyRowsLeaveTheFieldsTheTableLacksAtZero) {
  PairList stations;
  stations.Add(stationNumbers[0].c_str(), "first");
  const Query query = QueryOf(stations, PeriodType::Daily, "2001/07/01", "2001/07/31");
  int32_t rowCount = 0;
  std::vector<ObservationRow> rows = RetrieveRows(query, server, rowCount);
  ASSERT_EQ(rowCount, 31);
  for (int i = 0; i < rowCount; ++i) {
    const ObservationRow& row = rows.data()[i];
    EXPECT_EQ(row.year, 2001);
    EXPECT_EQ(row.period2, 7);
    EXPECT_EQ(row.maxDailyPrecip, 0);
    EXPECT_EQ(row.accumulatedTemp, 0);
    EXPECT_EQ(row.meanMaxTemp, 0);
    EXPECT_EQ(row.meanMinTemp, 0);
    EXPECT_EQ(row.maxTempMonth, 0);
    EXPECT_EQ(row.minTempDay, 0);
  }
}

TEST_F(RetrievalAgainstServer, AFailedStationIsToldOnceAndTheNextStationFillsFromTheStart) {
  // "!bad" sorts before the digits and is no number, so the server refuses
  // that statement with an ERROR: line.
  PairList stations;
  stations.Add("!bad", "refused");
  stations.Add(stationNumbers[1].c_str(), "second");
  const PeriodCase& monthly = CASES[5];
  size_t expected = Expected(monthly, stationNumbers[1]).size();

  const Query query = QueryOf(stations, monthly.type, monthly.from, monthly.to);
  int32_t rowCount = -1;
  Events events;
  std::vector<ObservationRow> rows = RetrieveRows(query, server, rowCount, &events);

  EXPECT_EQ(rowCount, static_cast<int32_t>(expected));
  EXPECT_STREQ(rows.data()[0].stationCode, stationNumbers[1].c_str());
  EXPECT_EQ(events, (Events{"exchange", "failed !bad", "exchange"}));
}

TEST_F(RetrievalAgainstServer, EveryFailedStationHasItsOwnMessage) {
  PairList stations;
  stations.Add("!bad", "refused");
  stations.Add("#bad", "refused too");
  const Query query = QueryOf(stations, PeriodType::Yearly, "1999", "2003");
  int32_t rowCount = -1;
  Events events;
  std::vector<ObservationRow> rows = RetrieveRows(query, server, rowCount, &events);
  EXPECT_EQ(rowCount, 0);
  EXPECT_EQ(events, (Events{"exchange", "failed !bad", "exchange", "failed #bad"}));
}

TEST_F(RetrievalAgainstServer, NoRowsIsNoFailure) {
  PairList stations;
  stations.Add(stationNumbers[0].c_str(), "first");
  const Query query = QueryOf(stations, PeriodType::Yearly, "2010", "2011");
  int32_t rowCount = -1;
  Events events;
  std::vector<ObservationRow> rows = RetrieveRows(query, server, rowCount, &events);
  EXPECT_EQ(rowCount, 0);
  EXPECT_EQ(events, (Events{"exchange"}));
}

TEST_F(RetrievalAgainstServer, AnUnreachableServerLeavesRetrieveAsAnException) {
  PairList stations;
  stations.Add(stationNumbers[0].c_str(), "first");
  const Query query = QueryOf(stations, PeriodType::Monthly, "2000/01", "2000/12");
  int32_t rowCount = 7;
  EXPECT_THROW(RetrieveRows(query, UNREACHABLE_SERVER, rowCount), platform::CInternetException);
  EXPECT_EQ(rowCount, 7);  // untouched: the caller's guard takes over
}

}  // namespace
