// The stations side by side: whatever the number of connections and however
// the replies overtake one another, the rows, the failed-station calls and
// the first exception are those of one station after the other; no more
// exchanges run at once than asked; one connection sends each station only
// once the one before has been taken; Cancel sends nothing more.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "viewer/base/pair_list.h"
#include "viewer/retrieval/parallel_retrieval.h"
#include "viewer/retrieval/retrieve.h"

namespace {

constexpr int STATION_COUNT = 12;
constexpr const char* FAILS = "fails";
constexpr const char* RAISES = "raises";
// How long every exchange lasts at least: long enough for all workers to
// have started even on a busy machine, so exchanges overlap as far as the
// connections allow.
constexpr int HOLD_MS = 40;

std::string StationNumber(int position) { return std::to_string(47400 + position); }

// The position in the list of the station a statement asks for.
int PositionOf(const std::string& statement) {
  for (int position = 0; position < STATION_COUNT; ++position) {
    if (statement.find("sChiten = " + StationNumber(position) + " ") != std::string::npos) return position;
  }
  ADD_FAILURE() << "no station of the list in " << statement;
  return 0;
}

// A scripted data server: station p answers p + 1 yearly rows, later
// stations sooner than earlier ones so that replies overtake each other;
// the stations named in `outcomes` fail or raise instead. It counts the
// exchanges under way at once and records the stations sent. Exchanges
// share it: a retrieval's worker threads may outlive the retrieval.
class ScriptedStations {
 public:
  explicit ScriptedStations(std::vector<std::string> outcomes) : outcomes(std::move(outcomes)) {}

  bool Exchange(const std::string& statement, std::string& reply, int& rowCount) {
    int position = PositionOf(statement);
    int now = ++running;
    {
      std::lock_guard<std::mutex> lock(mutex);
      highest = std::max(highest, now);
      began.push_back(position);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(HOLD_MS + 2 * (STATION_COUNT - position)));
    --running;
    const std::string& outcome = outcomes[static_cast<size_t>(position)];
    if (outcome == RAISES) throw std::runtime_error(StationNumber(position));
    if (outcome == FAILS) return false;
    for (int row = 0; row <= position; ++row) {
      reply += StationNumber(position) + "," + std::to_string(1999 + row) + ",\n";
    }
    rowCount = position + 1;
    return true;
  }

  std::vector<std::string> outcomes;
  std::atomic<int> running{0};
  std::mutex mutex;
  int highest = 0;
  std::vector<int> began;
};

class ParallelRetrievalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int position = 0; position < STATION_COUNT; ++position) {
      stations.Add(StationNumber(position).c_str(), "地点");
    }
    QueryFault fault = QueryFault::None;
    query.emplace(
        Query::Make(stations, Period{PeriodType::Yearly, "1999", "2003"}, ElementSet().set(0), DataYears(), fault)
            .value());
  }

  // What a retrieval gave: its rows' station numbers and years, the stations
  // told as failed, and the exception's text ("" when none).
  struct Outcome {
    std::vector<std::string> rows;
    std::vector<std::string> failed;
    std::string raised;
    bool operator==(const Outcome& other) const {
      return rows == other.rows && failed == other.failed && raised == other.raised;
    }
  };

  Outcome Retrieve(const std::shared_ptr<ScriptedStations>& script, int connections) {
    Outcome outcome;
    ParallelRetrieval retrieval(*query, connections, Exchange(script), nullptr);
    try {
      retrieval.TakeAll([&](const char* station) { outcome.failed.push_back(station); });
    } catch (const std::runtime_error& error) {
      outcome.raised = error.what();
    }
    for (const ObservationRow& row : retrieval.Rows()) {
      outcome.rows.push_back(std::string(row.stationCode) + "/" + std::to_string(row.year));
    }
    return outcome;
  }

  static StationExchange Exchange(const std::shared_ptr<ScriptedStations>& script) {
    return [script](const std::string& statement, std::string& reply, int& rows) {
      return script->Exchange(statement, reply, rows);
    };
  }

  PairList stations;
  std::optional<Query> query;
};

std::shared_ptr<ScriptedStations> Script(std::vector<std::string> outcomes) {
  return std::make_shared<ScriptedStations>(std::move(outcomes));
}

TEST_F(ParallelRetrievalTest, AnyNumberOfConnectionsGivesWhatOneAfterTheOtherGives) {
  const std::vector<std::string> scripts[] = {
      std::vector<std::string>(STATION_COUNT),
      {"", "", "", "", "", FAILS, "", "", "", "", "", ""},
      {FAILS, "", FAILS, "", "", "", "", "", "", "", "", FAILS},
      {"", "", "", FAILS, "", "", "", RAISES, "", FAILS, RAISES, ""},
      {RAISES, "", "", "", "", "", "", "", "", "", "", ""},
  };
  for (const std::vector<std::string>& script : scripts) {
    Outcome expected = Retrieve(Script(script), 1);
    for (int connections : {2, 3, 6, 16}) {
      SCOPED_TRACE(connections);
      EXPECT_EQ(Retrieve(Script(script), connections), expected);
    }
  }
}

TEST_F(ParallelRetrievalTest, OneAfterTheOtherKeepsItsRowsFailuresAndFirstException) {
  Outcome outcome = Retrieve(Script({"", FAILS, "", RAISES, "", "", "", "", "", "", "", ""}), 1);
  EXPECT_EQ(outcome.rows, (std::vector<std::string>{"47400/1999", "47402/1999", "47402/2000", "47402/2001"}));
  EXPECT_EQ(outcome.failed, std::vector<std::string>{"47401"});
  EXPECT_EQ(outcome.raised, "47403");
}

TEST_F(ParallelRetrievalTest, NoMoreExchangesRunAtOnceThanConnectionsAndEachStationGoesOnce) {
  struct Case {
    int connections;
    int expectedHighest;
  };
  for (Case c : {Case{1, 1}, Case{4, 4}, Case{6, 6}, Case{16, STATION_COUNT}}) {
    SCOPED_TRACE(c.connections);
    std::shared_ptr<ScriptedStations> script = Script(std::vector<std::string>(STATION_COUNT));
    Retrieve(script, c.connections);
    EXPECT_EQ(script->highest, c.expectedHighest);
    std::vector<int> everyStation(STATION_COUNT);
    for (int position = 0; position < STATION_COUNT; ++position) everyStation[position] = position;
    std::sort(script->began.begin(), script->began.end());
    EXPECT_EQ(script->began, everyStation);
  }
}

TEST_F(ParallelRetrievalTest, OneConnectionSendsTheNextStationOnlyOnceTheFailedOneWasTold) {
  // Every exchange has ended when TakeAll returns: the events stay put.
  std::vector<std::string> events;
  std::mutex mutex;
  ParallelRetrieval retrieval(
      *query, 1,
      [&](const std::string& statement, std::string&, int&) {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back("send " + StationNumber(PositionOf(statement)));
        return false;
      },
      nullptr);
  retrieval.TakeAll([&](const char* station) {
    std::lock_guard<std::mutex> lock(mutex);
    events.push_back(std::string("told ") + station);
  });
  ASSERT_EQ(events.size(), 2u * STATION_COUNT);
  for (int position = 0; position < STATION_COUNT; ++position) {
    EXPECT_EQ(events[2 * position], "send " + StationNumber(position));
    EXPECT_EQ(events[2 * position + 1], "told " + StationNumber(position));
  }
}

TEST_F(ParallelRetrievalTest, CancelSendsNothingMoreAndCallsNoMore) {
  struct Counts {
    std::atomic<int> sent{0};
    std::atomic<int> ended{0};
    std::atomic<int> arrivedCalls{0};
    std::atomic<bool> release{false};
  };
  auto counts = std::make_shared<Counts>();
  {
    ParallelRetrieval retrieval(
        *query, 3,
        [counts](const std::string&, std::string&, int&) {
          ++counts->sent;
          while (!counts->release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
          ++counts->ended;
          return true;
        },
        [counts] { ++counts->arrivedCalls; });
    while (counts->sent < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    retrieval.Cancel();
    counts->release = true;
    retrieval.TakeArrived([](const char*) { ADD_FAILURE() << "nothing is taken after Cancel"; });
    EXPECT_FALSE(retrieval.Finished());
    EXPECT_TRUE(retrieval.Rows().empty());
  }
  while (counts->ended < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(counts->sent, 3);
  EXPECT_EQ(counts->arrivedCalls, 0);
}

TEST_F(ParallelRetrievalTest, ATakeFromWithinAFailedStationsCallReturnsAndTheOuterTakeGoesOn) {
  ParallelRetrieval retrieval(*query, 6, Exchange(Script({FAILS, FAILS, "", "", "", "", "", "", "", "", "", ""})),
                              nullptr);
  std::vector<std::string> told;
  retrieval.TakeAll([&](const char* station) {
    told.push_back(station);
    size_t before = retrieval.Rows().size();
    retrieval.TakeArrived([&](const char*) { ADD_FAILURE() << "taken twice"; });
    EXPECT_EQ(retrieval.Rows().size(), before);
  });
  EXPECT_EQ(told, (std::vector<std::string>{"47400", "47401"}));
  EXPECT_TRUE(retrieval.Finished());
  EXPECT_EQ(retrieval.Arrived(), STATION_COUNT);
}

}  // namespace
