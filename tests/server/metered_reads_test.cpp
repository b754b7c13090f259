// Observations as a metered service, on both engines: read only after a
// sign-in from the same address, every reply's rows added to the reader's
// tally for the day, a monthly allowance that refuses before anything is
// read, and the operator's view of it (norda_admin list and usage).
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "server/protocol/db_commit.h"
#include "server/store/delivery_tally.h"
#include "server/store/reader_memory.h"
#include "tests/server/database_probe.h"
#include "tests/server/http_client.h"
#include "tests/server/server_process.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

constexpr int PORT = 80;
constexpr const char* SCRIPT = "/norda/dbcommit.php";
constexpr const char* SIGN_IN = "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';";
constexpr const char* SIGNED_IN_REPLY = "OK\n10001\n;\n";
// Five yearly rows (1999 to 2003) and one year of daily rows of one station.
constexpr const char* FIVE_ROWS = "SELECT * FROM st_data_n WHERE sChiten = 11001 AND (d1 >= 1999 AND d1 <= 2003);";
constexpr int64_t FIVE = 5;
constexpr const char* YEAR_OF_DAYS = "SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 2001;";
constexpr int64_t DAYS_OF_2001 = 365;
constexpr const char* TALLY = "SELECT client_no, delivered_rows FROM delivery_dt ORDER BY client_no";
// The allowance test moves earlier deliveries to a month long past.
constexpr const char* THIS_MONTHS_TALLY = "SELECT delivered_rows FROM delivery_dt WHERE delivered_on <> '1999-01-01'";
// How long a test waits for a server's delivered rows to reach the table.
constexpr auto SETTLING_TIME = 5 * DeliveryTally::FLUSH_INTERVAL;
constexpr auto POLL_INTERVAL = std::chrono::milliseconds(50);
// A change made in the database behind the server's back is seen once what
// it remembers of the reader has expired.
constexpr auto READER_FORGOTTEN = ReaderMemory::READER_MEMORY + std::chrono::milliseconds(100);

std::string Post(const std::string& server, const std::string& statement, const std::string& from) {
  HttpReply reply;
  if (!PostRaw(server, PORT, SCRIPT, "sql=BEGIN;" + statement + "COMMIT;", reply, from)) return "no answer";
  return reply.body;
}

std::string Refusal(const char* reason) { return ErrorReply(reason); }

// The rows of an "OK" reply; -1 for any other reply.
int64_t RowsOf(const std::string& reply) {
  if (reply.rfind("OK\n", 0) != 0) return -1;
  int64_t lines = 0;
  for (char c : reply) lines += c == '\n';
  return lines - 2;
}

class MeteredReads : public testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    static int tests = 0;
    folder_ = test_support::MakeScratchFolder("metered-" + EngineName(GetParam()) + "-" + std::to_string(++tests));
    database_ = CopySampleDatabase(GetParam(), folder_);
    ASSERT_FALSE(database_.empty());
  }

  void Start(const std::vector<std::string>& options = {}) {
    ASSERT_TRUE(server_.StartOn(Address(), PORT, database_, options));
  }
  const char* Address() const { return GetParam() == Engine::Sqlite ? TEST_ADDRESS_SERVER_METERED_READS : TEST_ADDRESS_SERVER_METERED_READS_POSTGRESQL; }
  std::string Post(const std::string& statement, const std::string& from) { return ::Post(Address(), statement, from); }
  std::string Db(const std::string& sql) { return QueryDatabase(database_, sql); }
  std::string Tally() { return Db(TALLY); }
  // What `sql` reads once it reads `expected`, or after SETTLING_TIME: the
  // server writes delivered rows a moment after it sends them.
  std::string Settled(const std::string& sql, const std::string& expected) {
    auto deadline = std::chrono::steady_clock::now() + SETTLING_TIME;
    std::string now = Db(sql);
    while (now != expected && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(POLL_INTERVAL);
      now = Db(sql);
    }
    return now;
  }
  std::string SettledTally(const std::string& expected) { return Settled(TALLY, expected); }
  std::string Admin(const std::string& arguments) {
    return RunCommand(NativeBuildFolder() + "/server/norda_admin --database '" + database_ + "' " + arguments +
                      " 2>&1")
        .output;
  }

  std::string folder_, database_;
  ServerProcess server_;
};

INSTANTIATE_TEST_SUITE_P(Engines, MeteredReads, testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const testing::TestParamInfo<Engine>& info) { return EngineName(info.param); });

TEST_P(MeteredReads, OnlyAnAddressWithARecentSignInOfAnOpenAccountIsServed) {
  Start();
  const std::string home = "127.0.0.71", elsewhere = "127.0.0.72";
  const std::string notSignedIn = Refusal(NOT_SIGNED_IN_REASON);
  struct Step {
    const char* situation;
    const char* sql;  // run on the database before the read; may be empty
    const char* signInFrom;
    bool served;
  } steps[] = {
      {"no sign-in at all", "", nullptr, false},
      {"signed in from another address", "", "127.0.0.72", false},
      {"signed in from this address", "", "127.0.0.71", true},
      {"the sign-in has aged past the usage window",
       "UPDATE sign_in_dt SET signed_in = signed_in - 3601", nullptr, false},
      {"signed in again", "", "127.0.0.71", true},
      {"the account was switched off since", "UPDATE client_mt SET disabled = 1", nullptr, false},
  };
  int64_t served = 0;
  auto tallyOf = [](int64_t rows) { return rows ? "10001|" + std::to_string(rows) + "\n" : std::string(); };
  for (const Step& step : steps) {
    ASSERT_EQ(tallyOf(served), SettledTally(tallyOf(served))) << step.situation;
    if (*step.sql) {
      Db(step.sql);
      std::this_thread::sleep_for(READER_FORGOTTEN);
    }
    if (step.signInFrom) {
      ASSERT_EQ(SIGNED_IN_REPLY, Post(SIGN_IN, step.signInFrom)) << step.situation;
    }
    std::string before = DatabaseSnapshot(database_);
    std::string reply = Post(FIVE_ROWS, home);
    if (step.served) {
      EXPECT_EQ(FIVE, RowsOf(reply)) << step.situation;
      served += FIVE;
    } else {
      EXPECT_EQ(notSignedIn, reply) << step.situation;
      EXPECT_EQ(before, DatabaseSnapshot(database_)) << step.situation << ": nothing counted";
    }
  }
  EXPECT_EQ(tallyOf(served), SettledTally(tallyOf(served)));
  EXPECT_EQ(notSignedIn, Post(FIVE_ROWS, elsewhere));
}

TEST_P(MeteredReads, OpenReadsServeEveryAddressAndCountNothing) {
  Start({"--open-reads"});
  EXPECT_EQ(DAYS_OF_2001, RowsOf(Post(YEAR_OF_DAYS, "127.0.0.73")));
  server_.Stop();
  EXPECT_EQ("", Tally());
}

TEST_P(MeteredReads, TheLatestSignInFromAnAddressNamesTheClientWhoseTallyGrows) {
  ASSERT_EQ("", AddAccount(database_, "20002", "sato", "pw"));
  Start();
  const std::string shared = "127.0.0.74";
  ASSERT_EQ(SIGNED_IN_REPLY, Post(SIGN_IN, shared));
  EXPECT_EQ(DAYS_OF_2001, RowsOf(Post(YEAR_OF_DAYS, shared)));
  EXPECT_EQ(FIVE, RowsOf(Post(FIVE_ROWS, shared)));
  // A later sign-in from the same address by another subscriber, within
  // most likely the same second.
  ASSERT_EQ("OK\n20002\n;\n", Post("SELECT client_no FROM client_mt WHERE user_id = 'sato' AND password = 'pw';", shared));
  EXPECT_EQ(FIVE, RowsOf(Post(FIVE_ROWS, shared)));
  EXPECT_EQ(0, RowsOf(Post("SELECT * FROM st_data_n WHERE sChiten = 11001 AND d1 = 1900;", shared)));
  EXPECT_EQ("10001|370\n20002|5\n", SettledTally("10001|370\n20002|5\n"));
  // And back: the demo signs in again and is the reader once more.
  ASSERT_EQ(SIGNED_IN_REPLY, Post(SIGN_IN, shared));
  EXPECT_EQ(FIVE, RowsOf(Post(FIVE_ROWS, shared)));
  EXPECT_EQ("10001|375\n20002|5\n", SettledTally("10001|375\n20002|5\n"));
  EXPECT_EQ("1\n", Db("SELECT count(DISTINCT delivered_on) FROM delivery_dt")) << "one row per client and day";
}

TEST_P(MeteredReads, TheAllowanceRefusesOnceTheMonthsDeliveredRowsReachIt) {
  Start();
  const std::string home = "127.0.0.75";
  const std::string reached = Refusal(ALLOWANCE_REACHED_REASON);
  ASSERT_EQ("", Admin("allowance demo 12"));
  ASSERT_EQ(SIGNED_IN_REPLY, Post(SIGN_IN, home));
  struct Read {
    const char* sql;  // run on the database before the read; may be empty
    bool served;
    int64_t tallyAfter;
  } reads[] = {
      {"", true, 5},
      {"", true, 10},
      {"", true, 15},  // 10 was below 12: the whole reply goes out
      {"", false, 15},
      // Rows delivered in another month do not count against this one.
      {"UPDATE delivery_dt SET delivered_on = '1999-01-01'", true, 5},
  };
  for (const Read& read : reads) {
    if (*read.sql) Db(read.sql);
    std::string before = DatabaseSnapshot(database_);
    std::string reply = Post(FIVE_ROWS, home);
    if (read.served) {
      EXPECT_EQ(FIVE, RowsOf(reply));
    } else {
      EXPECT_EQ(reached, reply);
      EXPECT_EQ(before, DatabaseSnapshot(database_));
    }
    std::string tallyAfter = std::to_string(read.tallyAfter) + "\n";
    EXPECT_EQ(tallyAfter, Settled(THIS_MONTHS_TALLY, tallyAfter));
  }
  ASSERT_EQ("", Admin("allowance demo 0"));
  EXPECT_EQ(reached, Post(FIVE_ROWS, home)) << "an allowance of no rows at all";
  ASSERT_EQ("", Admin("allowance demo none"));
  EXPECT_EQ(FIVE, RowsOf(Post(FIVE_ROWS, home)));
}

TEST_P(MeteredReads, TheOperatorSeesAllowancesDeliveriesAndShortReports) {
  ASSERT_EQ("", AddAccount(database_, "20002", "sato", "pw"));
  Start();
  ASSERT_EQ("", Admin("allowance sato 1000"));
  const std::string demo = "127.0.0.76", sato = "127.0.0.77";
  ASSERT_EQ(SIGNED_IN_REPLY, Post(SIGN_IN, demo));
  ASSERT_EQ("OK\n20002\n;\n", Post("SELECT client_no FROM client_mt WHERE user_id = 'sato' AND password = 'pw';", sato));
  // demo reports what it was served; sato reports fewer rows than it got.
  EXPECT_EQ(DAYS_OF_2001, RowsOf(Post(YEAR_OF_DAYS, demo)));
  EXPECT_EQ("OK\n;\n", Post("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'365');",
                            demo));
  EXPECT_EQ(DAYS_OF_2001, RowsOf(Post(YEAR_OF_DAYS, sato)));
  EXPECT_EQ(FIVE, RowsOf(Post(FIVE_ROWS, sato)));
  EXPECT_EQ("OK\n;\n",
            Post("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('20002',now(),'5');", sato));
  ASSERT_EQ("10001|365\n20002|370\n", SettledTally("10001|365\n20002|370\n"));

  std::string month = Db("SELECT substr(min(delivered_on), 1, 7) FROM delivery_dt");
  month.pop_back();
  EXPECT_EQ("\xEF\xBB\xBF"
            "client_no,user_ids,usage_records,rows_reported,rows_delivered,short\r\n"
            "10001,demo,1,365,365,\r\n"
            "20002,sato,1,5,370,yes\r\n"
            "total,,2,370,735,yes\r\n",
            Admin("usage --month " + month + " --format csv"));
  std::string list = Admin("list");
  EXPECT_NE(std::string::npos, list.find("10001      enabled        none        365 demo")) << list;
  EXPECT_NE(std::string::npos, list.find("20002      enabled        1000        370 sato")) << list;
  for (const char* wrong : {"allowance sato -1", "allowance sato lots", "allowance sato 10000001",
                            "allowance nobody 5"}) {
    EXPECT_NE("", Admin(wrong)) << wrong;
  }
}

// Replies sent faster than the server writes its tally: the allowance still
// counts every row sent, and a stop writes every row that is not yet in
// the table.
TEST_P(MeteredReads, RowsNotYetWrittenCountAgainstTheAllowanceAndAStopWritesThem) {
  Start();
  const std::string home = "127.0.0.78";
  ASSERT_EQ("", Admin("allowance demo 12"));
  ASSERT_EQ(SIGNED_IN_REPLY, Post(SIGN_IN, home));
  const std::string reached = Refusal(ALLOWANCE_REACHED_REASON);
  const std::string replies[] = {"5", "5", "5", reached, reached};
  for (const std::string& expected : replies) {
    std::string reply = Post(FIVE_ROWS, home);
    EXPECT_EQ(expected, expected == reached ? reply : std::to_string(RowsOf(reply)));
  }
  ASSERT_EQ("", Admin("allowance demo none"));
  constexpr int MORE_READS = 20;
  for (int read = 0; read < MORE_READS; ++read) ASSERT_EQ(DAYS_OF_2001, RowsOf(Post(YEAR_OF_DAYS, home)));
  server_.Stop();
  EXPECT_EQ("10001|" + std::to_string(3 * FIVE + MORE_READS * DAYS_OF_2001) + "\n", Tally());
}

}  // namespace
