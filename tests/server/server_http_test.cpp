// The real norda_server over loopback: reply format, the usage ledger, the
// allow-list, rollback, Shift-JIS text and raw form bodies.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "server/text/text_encoding.h"
#include "server/weather/observation_tables.h"
#include "tests/server/database_probe.h"
#include "server/store/delivery_tally.h"
#include "tests/server/http_client.h"
#include "tests/server/server_process.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

// One server per engine for the whole suite, each on its own address.
constexpr const char* SQLITE_ADDRESS = TEST_ADDRESS_SERVER_HTTP;
constexpr const char* POSTGRES_ADDRESS = TEST_ADDRESS_SERVER_HTTP_POSTGRESQL;
constexpr int PORT = 80;
constexpr const char* SCRIPT = "/norda/dbcommit.php";

const char* AddressOf(Engine engine) { return engine == Engine::Sqlite ? SQLITE_ADDRESS : POSTGRES_ADDRESS; }

// Posts `body` to the engine's server and returns the reply body.
std::string PostTo(Engine engine, const std::string& body) {
  HttpReply reply;
  EXPECT_TRUE(PostRaw(AddressOf(engine), PORT, SCRIPT, body, reply));
  EXPECT_EQ(200, reply.status);
  return reply.body;
}

std::string Framed(const std::string& statement) { return "sql=BEGIN;" + statement + "COMMIT;"; }

constexpr const char* DEMO_SIGN_IN = "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';";

class ServerHttp : public testing::TestWithParam<Engine> {
 protected:
  static void TearDownTestSuite() { servers_.clear(); }

  // The engine's server, started on first use.
  static ServerProcess& Server(Engine engine) {
    std::unique_ptr<ServerProcess>& server = servers_[engine];
    if (!server) {
      server = std::make_unique<ServerProcess>();
      std::string folder = test_support::MakeScratchFolder("server-http-" + EngineName(engine));
      EXPECT_TRUE(server->Start(AddressOf(engine), PORT, folder, engine)) << EngineName(engine);
      // The demo subscriber signs in once, so this client may record usage.
      EXPECT_EQ("OK\n10001\n;\n", PostTo(engine, Framed(DEMO_SIGN_IN)));
    }
    return *server;
  }

  void SetUp() override { Server(GetParam()); }

  // Posts the statement as the programs frame it and returns the reply body.
  static std::string Run(const std::string& statement) { return PostBody(Framed(statement)); }
  static std::string PostBody(const std::string& body) { return PostTo(GetParam(), body); }
  static std::string Db(const std::string& sql) { return QueryDatabase(Server(GetParam()).DatabasePath(), sql); }
  static std::string Snapshot() { return DatabaseSnapshot(Server(GetParam()).DatabasePath()); }

  static std::map<Engine, std::unique_ptr<ServerProcess>> servers_;
};

std::map<Engine, std::unique_ptr<ServerProcess>> ServerHttp::servers_;

INSTANTIATE_TEST_SUITE_P(Engines, ServerHttp, testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const testing::TestParamInfo<Engine>& info) { return EngineName(info.param); });

bool IsError(const std::string& reply) { return reply.compare(0, 6, "ERROR:") == 0; }

int CountLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) parts.push_back(text.substr(start));
  return parts;
}

TEST_P(ServerHttp, AnswersOkThenRowsThenASemicolonLine) {
  EXPECT_EQ("OK\n10001\n;\n",
            Run("SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';"));
  EXPECT_EQ("OK\n;\n", Run("SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'wrong';"));
  EXPECT_EQ("OK\n0\n;\n", Run("SELECT SUM(data_total) FROM fee_history_dt where client_no = '10001' AND "
                              "feeday LIKE '1998-01%';"));
  EXPECT_EQ("OK\n", Run(""));
}

TEST_P(ServerHttp, ObservationRowsCarryEveryColumnInTableOrder) {
  std::string daily = Run("SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 2000 AND d3 = 02 AND "
                          "(d7 >= 27 AND d7 <= 29);");
  std::vector<std::string> lines = Split(daily, '\n');
  ASSERT_EQ(5u, lines.size()) << daily;
  EXPECT_EQ("OK", lines[0]);
  for (int day = 27; day <= 29; ++day) {
    std::vector<std::string> values = Split(lines[day - 26], ',');
    ASSERT_EQ(18u, values.size()) << lines[day - 26];
    EXPECT_TRUE(std::regex_match(lines[day - 26], std::regex("-?[0-9]+(,-?[0-9]+){17}")));
    // station, then year, month and day at positions 2, 3 and 7
    EXPECT_EQ("44001", values[0]);
    EXPECT_EQ("2000", values[2]);
    EXPECT_EQ("2", values[3]);
    EXPECT_EQ(std::to_string(day), values[7]);
  }
  EXPECT_EQ(";", lines[4]);

  std::string yearly = Run("SELECT * FROM st_data_n WHERE sChiten = 44001 AND (d1 >= 1999 AND d1 <= 2003);");
  std::regex yearlyReply("OK\n(44001,(1999|2000|2001|2002|2003)(,-?[0-9]+){24}\n){5};\n");
  EXPECT_TRUE(std::regex_match(yearly, yearlyReply)) << yearly;
}

TEST_P(ServerHttp, SplitPeriodStatementsReturnEachDayOnce) {
  std::string reply = Run(
      "SELECT * FROM st_data_h WHERE sChiten = 14001 AND d2 = 2000 AND (d3 = 05 AND (d7 >= 10 AND d7 <= 31)) "
      "UNION SELECT * FROM st_data_h WHERE sChiten = 14001 AND d2 = 2000 AND (d3 > 05 AND d3 < 06) "
      "UNION SELECT * FROM st_data_h WHERE sChiten = 14001 AND d2 = 2000 AND (d3 = 06 AND (d7 >= 1 AND d7 <= 20));");
  EXPECT_EQ(1 + 22 + 20 + 1, CountLines(reply)) << reply;
}

// The viewer's statement of each period type, split at month and year ends
// as it sends them, and one whose parts overlap.
const char* const VIEWER_STATEMENTS[] = {
    "SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 2000 AND d3 = 02 AND (d7 >= 27 AND d7 <= 29);",
    "SELECT * FROM st_data_h WHERE sChiten = 14001 AND d2 = 2000 AND (d3 = 05 AND (d7 >= 10 AND d7 <= 31)) "
    "UNION SELECT * FROM st_data_h WHERE sChiten = 14001 AND d2 = 2000 AND (d3 > 05 AND d3 < 06) "
    "UNION SELECT * FROM st_data_h WHERE sChiten = 14001 AND d2 = 2000 AND (d3 = 06 AND (d7 >= 1 AND d7 <= 20));",
    "SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 1999 AND (d3 = 11 AND (d7 >= 20 AND d7 <= 31)) "
    "UNION SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 1999 AND d3 > 11 "
    "UNION SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 > 1999 AND d2 < 2001 "
    "UNION SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 2001 AND d3 < 02 "
    "UNION SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 2001 AND (d3 = 02 AND (d7 >= 1 AND d7 <= 10));",
    "SELECT * FROM st_data_th WHERE sChiten = 44001 AND d1 = 2000 AND d2 >= 70 UNION SELECT * FROM st_data_th "
    "WHERE sChiten = 44001 AND (d1 > 2000 AND d1 < 2002) UNION SELECT * FROM st_data_th WHERE sChiten = 44001 "
    "AND d1 = 2002 AND d2 <= 3;",
    "SELECT * FROM st_data_rh WHERE sChiten = 44001 AND d1 = 2000 AND d2 = 04 AND d3 >= 02 UNION SELECT * FROM "
    "st_data_rh WHERE sChiten = 44001 AND d1 = 2000 AND (d2 > 04 AND d2 < 07) UNION SELECT * FROM st_data_rh "
    "WHERE sChiten = 44001 AND d1 = 2000 AND d2 = 07 AND d3 <= 05;",
    "SELECT * FROM st_data_j WHERE sChiten = 44001 AND d1 = 2001 AND d2 = 11 AND d3 >= 2 UNION SELECT * FROM "
    "st_data_j WHERE sChiten = 44001 AND d1 = 2001 AND d2 > 11 UNION SELECT * FROM st_data_j WHERE sChiten = "
    "44001 AND d1 > 2001 AND d1 < 2002 UNION SELECT * FROM st_data_j WHERE sChiten = 44001 AND d1 = 2002 AND "
    "d2 < 01 UNION SELECT * FROM st_data_j WHERE sChiten = 44001 AND d1 = 2002 AND d2 = 01 AND d3 <= 1;",
    "SELECT * FROM st_data_t WHERE sChiten = 44001 AND d1 = 1999 AND (d2 >= 01 AND d2 <= 12);",
    "SELECT * FROM st_data_n WHERE sChiten = 44001 AND (d1 >= 1999 AND d1 <= 2003);",
    ("SELECT * FROM st_data_t WHERE sChiten = 44001 AND d1 = 2000 UNION SELECT * FROM st_data_t WHERE sChiten = "
     "44001 AND d1 = 2000 AND d2 <= 6 UNION SELECT * FROM st_data_t WHERE sChiten = 44001 AND d1 = 2000;"),
};

// The key of a reply row: its values at the table's key columns.
std::vector<long> RowKey(const std::string& line, const std::vector<size_t>& keyColumns) {
  std::vector<std::string> values = Split(line, ',');
  std::vector<long> key;
  for (size_t column : keyColumns) key.push_back(std::stol(values.at(column)));
  return key;
}

TEST_P(ServerHttp, ObservationRowsComeOnceInKeyOrderAndAlikeOnBothEngines) {
  for (const char* statement : VIEWER_STATEMENTS) {
    std::string reply = Run(statement);
    std::vector<std::string> lines = Split(reply, '\n');
    ASSERT_GE(lines.size(), 3u) << statement << "\n" << reply;
    EXPECT_EQ("OK", lines.front());
    EXPECT_EQ(";", lines.back());
    std::string table = Split(statement, ' ')[3];
    std::vector<size_t> key = KeyColumns(*FindObservationTable(table));
    for (size_t i = 2; i + 1 < lines.size(); ++i) {
      EXPECT_LT(RowKey(lines[i - 1], key), RowKey(lines[i], key)) << statement << "\nrow " << i;
    }
    if (GetParam() != Engine::Sqlite) {
      Server(Engine::Sqlite);
      EXPECT_EQ(PostTo(Engine::Sqlite, Framed(statement)), reply) << statement;
    }
  }
  // Overlapping parts: the year 2000 once, not three times.
  EXPECT_EQ(1 + 12 + 1, CountLines(Run(VIEWER_STATEMENTS[8])));
}

TEST_P(ServerHttp, RecordsUsageAndSumsTheMonth) {
  ASSERT_EQ("OK\n;\n", Run("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'120');"));
  ASSERT_EQ("OK\n;\n", Run("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'7');"));
  std::string rows = Db("SELECT feeday FROM fee_history_dt WHERE client_no = '10001' AND data_total = 120");
  ASSERT_TRUE(std::regex_match(rows, std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\n"))) << rows;

  std::string month = rows.substr(0, 7);
  std::string expected = Db("SELECT SUM(data_total) FROM fee_history_dt WHERE client_no = '10001' AND feeday LIKE '" +
                            month + "%'");
  EXPECT_EQ("OK\n" + expected + ";\n",
            Run("SELECT SUM(data_total) FROM fee_history_dt where client_no = '10001' AND feeday LIKE '" + month +
                "%';"));
}

TEST_P(ServerHttp, TakesPlusPercentAndAmpersandLiterally) {
  ASSERT_EQ("", AddAccount(Server(GetParam()).DatabasePath(), "20002", "a+b&c=d", "100% sure"));
  EXPECT_EQ("OK\n20002\n;\n",
            Run("SELECT client_no FROM client_mt WHERE user_id = 'a+b&c=d' AND password = '100% sure';"));
  // Percent-encoding is not decoded: the bytes are the SQL text.
  EXPECT_EQ("OK\n;\n",
            Run("SELECT client_no FROM client_mt WHERE user_id = 'a%2Bb%26c%3Dd' AND password = '100%25 sure';"));
}

TEST_P(ServerHttp, RefusesEveryOtherStatementAndChangesNothing) {
  const char* const statements[] = {
      "DROP TABLE fee_history_dt;",
      "CREATE TABLE intruder(a);",
      "ALTER TABLE client_mt ADD COLUMN x;",
      "UPDATE client_mt SET password = 'x';",
      "DELETE FROM client_mt;",
      "PRAGMA journal_mode = WAL;",
      "ATTACH DATABASE '/tmp/tarvex-intruder.sqlite' AS intruder;",
      "INSERT INTO client_mt(client_no,user_id,password) values ('66666','x','y');",
      "INSERT INTO st_data_n(sChiten) values (1);",
      "SELECT password FROM client_mt WHERE user_id = 'demo' AND password = 'x';",
      "SELECT * FROM sqlite_master WHERE sChiten = 1;",
      "SELECT * FROM st_data_n WHERE sChiten = 1 UNION SELECT client_no, user_id FROM client_mt;",
      // a password that closes its quote early: a second statement, an OR
      "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = '';DELETE FROM fee_history_dt;--';",
      "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'x' OR '1'='1';",
      // two statements each allowed on its own
      ("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'1');"
       "INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'2');"),
      // a transaction of the client's own
      "COMMIT;DELETE FROM fee_history_dt;BEGIN;",
  };
  ASSERT_EQ("OK\n;\n", Run("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'3');"));
  // Rows the earlier tests were served reach the tally within a flush.
  std::this_thread::sleep_for(DeliveryTally::FLUSH_INTERVAL + std::chrono::milliseconds(500));
  std::string before = Snapshot();
  for (const char* statement : statements) {
    std::string reply = Run(statement);
    EXPECT_TRUE(IsError(reply)) << statement << "\n" << reply;
    EXPECT_EQ(1, CountLines(reply)) << reply;
  }
  EXPECT_EQ(before, Snapshot());
  if (GetParam() == Engine::Sqlite) {
    EXPECT_EQ("", Db("SELECT name FROM pragma_database_list WHERE name = 'intruder'"));
  }
}

TEST_P(ServerHttp, RefusesBodiesThatAreNotAFramedSqlField) {
  std::string before = Snapshot();
  const char* const bodies[] = {
      "",
      "BEGIN;INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'1');COMMIT;",
      "sql=INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'1');",
      "sql=BEGIN;INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'1');",
      "sql=BEGIN;INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'1');ROLLBACK;",
      "other=1&sql=BEGIN;COMMIT;",
  };
  for (const char* body : bodies) EXPECT_TRUE(IsError(PostBody(body))) << body;
  EXPECT_EQ(before, Snapshot());
}

TEST_P(ServerHttp, RollsBackAFailedStatementAndServesTheNextRequest) {
  std::string before = Snapshot();
  // The usage count must be a whole number: a negative one or a word is refused.
  std::string reply = Run("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'-5');");
  EXPECT_TRUE(IsError(reply)) << reply;
  reply = Run("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'lots');");
  EXPECT_TRUE(IsError(reply)) << reply;
  EXPECT_EQ(before, Snapshot());
  EXPECT_EQ("OK\n;\n", Run("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'5');"));
  EXPECT_EQ("1\n", Db("SELECT count(*) FROM fee_history_dt WHERE data_total = 5"));
}

TEST_P(ServerHttp, ConvertsShiftJisBothWays) {
  // The database keeps UTF-8; the wire carries Shift-JIS. 表 and ソ end in the
  // byte 0x5C, which must not be taken for a backslash.
  ASSERT_EQ("", AddAccount(Server(GetParam()).DatabasePath(), u8"観測所一号", u8"気象太郎", u8"表示ソ十"));
  std::string signIn = Utf8ToCp932(
      u8"SELECT client_no FROM client_mt WHERE user_id = '気象太郎' AND password = '表示ソ十';");
  EXPECT_EQ("OK\n" + Utf8ToCp932(u8"観測所一号") + "\n;\n", Run(signIn));

  std::string insert =
      Utf8ToCp932(u8"INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('観測所一号',now(),'9');");
  ASSERT_EQ("OK\n;\n", Run(insert));
  EXPECT_EQ("9\n", Db(u8"SELECT data_total FROM fee_history_dt WHERE client_no = '観測所一号'"));

  // A lead byte with nothing after it is no Shift-JIS text.
  EXPECT_TRUE(IsError(Run("SELECT client_no FROM client_mt WHERE user_id = '\x81' AND password = '';")));
}

TEST_P(ServerHttp, RefusesOversizedBodiesAndOtherRequests) {
  std::string padding(1100 * 1024, ' ');
  HttpReply reply;
  const char* address = AddressOf(GetParam());
  ASSERT_TRUE(PostRaw(address, PORT, SCRIPT, "sql=BEGIN;" + padding + "COMMIT;", reply));
  EXPECT_EQ(200, reply.status);
  EXPECT_TRUE(IsError(reply.body)) << reply.body.substr(0, 80);

  ASSERT_TRUE(PostRaw(address, PORT, "/norda/other.php", "sql=BEGIN;COMMIT;", reply));
  EXPECT_EQ(404, reply.status);
  ASSERT_TRUE(SendWithoutBody(address, PORT, "GET", SCRIPT, reply));
  EXPECT_EQ(405, reply.status);

  // Still serving after all of that.
  EXPECT_EQ("OK\n10001\n;\n",
            Run("SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';"));
}

// Exit status 2 is the usage error: the server refuses to start rather than
// listening on a port other than the one asked for.
TEST(ServerOptions, APortOutsideOneTo65535OrNotANumberIsAUsageError) {
  std::string program = NativeBuildFolder() + "/server/norda_server";
  for (const char* port : {"0", "65536", "99999999999", "80x", "x", "-80", ""}) {
    std::string command = program + " --address " TEST_ADDRESS_SERVER_BENCH " --port '" + port +
                          "' --database /nonexistent/norda.sqlite 2>/dev/null";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << port;
    EXPECT_EQ(2, WEXITSTATUS(status)) << "port '" << port << "'";
  }
}

TEST_P(ServerHttp, ASecondServerCannotTakeTheSameAddress) {
  ServerProcess second;
  EXPECT_FALSE(second.Start(AddressOf(GetParam()), PORT, test_support::MakeScratchFolder("server-http-second")));
  EXPECT_EQ("OK\n10001\n;\n",
            Run("SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';"));
}

}  // namespace
