// norda_admin as an operator runs it, on both engines: accounts that the
// server then signs in (or refuses), the month's billing against ledger rows,
// stations and master files, and daily observations loaded in.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "server/text/text_encoding.h"
#include "tests/server/database_probe.h"
#include "tests/server/http_client.h"
#include "tests/server/server_process.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

constexpr int PORT = 80;
// Less memory than a password hash takes (19 MiB), more than the tool needs otherwise.
constexpr const char* SMALL_MEMORY = "prlimit --data=16777216 ";
constexpr const char* SEATTLE_WEATHER = "/usr/lib/python3/dist-packages/vega_datasets/_data/seattle-weather.csv";

// LibreOffice's numbers for the text encodings of its CSV filter.
constexpr int UTF8_CHARSET = 76;
constexpr int SHIFT_JIS_CHARSET = 64;

// The cells LibreOffice reads from a CSV file in `charset`, written out
// again as UTF-8 CSV.
std::string SpreadsheetReading(const std::string& path, int charset) {
  std::string folder = path + ".read";
  std::string filter = "CSV:44,34," + std::to_string(charset);
  std::string command = "soffice --headless -env:UserInstallation=file://" + folder + "/profile --infilter='" +
                        filter + "' --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir " + folder +
                        " " + path + " > /dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return "soffice failed";
  std::string name = path.substr(path.rfind('/'));
  return test_support::ReadBytes(folder + name);
}

class AdminTool : public testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    static int tests = 0;
    folder_ = test_support::MakeScratchFolder("admin-" + EngineName(GetParam()) + "-" + std::to_string(++tests));
    database_ = CopySampleDatabase(GetParam(), folder_);
    ASSERT_FALSE(database_.empty());
  }

  // Runs norda_admin on the test's database (under `wrapper`, a command
  // prefix); `input` goes to its standard input. Its outcome's output holds
  // standard output and standard error.
  CommandOutcome Admin(const std::string& arguments, const std::string& input = "", const std::string& wrapper = "") {
    std::string inputFile = folder_ + "/input.txt";
    test_support::WriteBytes(inputFile, input);
    return RunCommand(wrapper + NativeBuildFolder() + "/server/norda_admin --database '" + database_ + "' " + arguments +
                      " < " + inputFile + " 2>&1");
  }

  std::string File(const std::string& name, const std::string& bytes) {
    std::string path = folder_ + "/" + name;
    test_support::WriteBytes(path, bytes);
    return path;
  }

  std::string Db(const std::string& sql) { return QueryDatabase(database_, sql); }

  // Signs in through a server on the test's database.
  std::string SignIn(const std::string& userId, const std::string& password) {
    ServerProcess server;
    const char* address = GetParam() == Engine::Sqlite ? TEST_ADDRESS_SERVER_ADMIN_TOOL : TEST_ADDRESS_SERVER_ADMIN_TOOL_POSTGRESQL;
    if (!server.StartOn(address, PORT, database_)) return "no server";
    HttpReply reply;
    PostRaw(address, PORT, "/norda/dbcommit.php",
            "sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = '" + userId + "' AND password = '" + password +
                "';COMMIT;",
            reply);
    return reply.body;
  }

  std::string folder_, database_;
};

INSTANTIATE_TEST_SUITE_P(Engines, AdminTool, testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const testing::TestParamInfo<Engine>& info) { return EngineName(info.param); });

TEST_P(AdminTool, AccountsAreAddedChangedSwitchedOffAndListedWithoutPasswords) {
  ASSERT_EQ(0, Admin("add tanaka 20001", "first secret\n").status);
  EXPECT_EQ("OK\n20001\n;\n", SignIn("tanaka", "first secret"));

  std::string before = DatabaseSnapshot(database_);
  struct Refusal {
    const char* arguments;
    const char* says;
  } refusals[] = {
      {"add sato 20001", "the client number 20001 exists already"},
      {"add tanaka 20009", "the user ID tanaka exists already"},
      {"add sato 2001", "five characters"},
      {"add sato 200011", "five characters"},
      {"add nobody 20009 --password-file /nonexistent", "cannot read a password"},
      {"passwd nobody", "no account has the user ID nobody"},
      {"disable nobody", "no account has the user ID nobody"},
  };
  for (const Refusal& refusal : refusals) {
    CommandOutcome outcome = Admin(refusal.arguments, "x\n");
    EXPECT_EQ(1, outcome.status) << refusal.arguments;
    EXPECT_NE(std::string::npos, outcome.output.find(refusal.says)) << refusal.arguments << ": " << outcome.output;
  }
  EXPECT_EQ(1, Admin("add sato 20009", "\n").status) << "an empty password";
  EXPECT_EQ(2, Admin("add sato").status) << "a usage error";
  EXPECT_EQ(before, DatabaseSnapshot(database_));

  ASSERT_EQ(0, Admin("passwd tanaka --password-file " + File("pw", "second\n")).status);
  EXPECT_EQ("OK\n;\n", SignIn("tanaka", "first secret"));
  EXPECT_EQ("OK\n20001\n;\n", SignIn("tanaka", "second"));
  ASSERT_EQ(0, Admin("disable tanaka").status);
  EXPECT_EQ("OK\n;\n", SignIn("tanaka", "second"));
  CommandOutcome list = Admin("list");
  EXPECT_NE(std::string::npos, list.output.find("20001      disabled       none          0 tanaka")) << list.output;
  EXPECT_EQ(std::string::npos, list.output.find("argon2")) << list.output;
  ASSERT_EQ(0, Admin("enable tanaka").status);
  EXPECT_EQ("OK\n20001\n;\n", SignIn("tanaka", "second"));
}

// An account whose password cannot be hashed is not kept without one.
TEST_P(AdminTool, APasswordThatCannotBeHashedChangesNothing) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizer's own memory does not fit under the limit";
#endif
  ASSERT_EQ(0, Admin("add tanaka 20001", "first\n").status);
  std::string before = DatabaseSnapshot(database_);
  for (const char* arguments : {"add sato 20009", "passwd tanaka"}) {
    CommandOutcome outcome = Admin(arguments, "second\n", SMALL_MEMORY);
    EXPECT_EQ(1, outcome.status) << arguments;
    EXPECT_NE(std::string::npos, outcome.output.find("not enough memory to hash a password")) << outcome.output;
  }
  EXPECT_EQ(before, DatabaseSnapshot(database_));
  EXPECT_EQ("OK\n20001\n;\n", SignIn("tanaka", "first"));
}

TEST_P(AdminTool, BillingCountsTheMonthsRecordsAndRowsPerClient) {
  ASSERT_EQ(0, Admin("add " + std::string(u8"気象") + " 20002", "pw\n").status);
  Db("INSERT INTO fee_history_dt VALUES ('10001', '2026-11-30 23:59:59', 1000), "
     "('10001', '2026-12-01 00:00:00', 1826), ('10001', '2026-12-31 23:59:59', 5), "
     "('20002', '2026-12-15 12:00:00', 62), ('30003', '2026-12-20 08:00:00', 9223372036854775807)");
  CommandOutcome csv = Admin("usage --month 2026-12 --format csv");
  ASSERT_EQ(0, csv.status) << csv.output;
  EXPECT_EQ("\xEF\xBB\xBF"
            "client_no,user_ids,usage_records,rows_reported,rows_delivered,short\r\n"
            "10001,demo,2,1831,0,\r\n"
            "20002," + std::string(u8"気象") + ",1,62,0,\r\n"
            "30003,,1,10000000,0,\r\n"
            "total,,4,10001893,0,\r\n",
            csv.output);
  CommandOutcome shiftJis = Admin("usage --month 2026-12 --format csv --encoding shift-jis");
  EXPECT_NE(std::string::npos, shiftJis.output.find(Utf8ToCp932(u8"20002,気象,1,62,0,\r\n")));
  if (GetParam() == Engine::Sqlite) {
    // A spreadsheet reads the same cells from either file.
    std::string expected = csv.output.substr(3);
    for (size_t at; (at = expected.find("\r\n")) != std::string::npos;) expected.replace(at, 2, "\n");
    EXPECT_EQ(expected, SpreadsheetReading(File("bill-utf8.csv", csv.output), UTF8_CHARSET));
    EXPECT_EQ(expected, SpreadsheetReading(File("bill-sjis.csv", shiftJis.output), SHIFT_JIS_CHARSET));
  }
  CommandOutcome table = Admin("usage --month 2026-11");
  std::string lastLine = table.output.substr(table.output.rfind('\n', table.output.size() - 2) + 1);
  std::istringstream words(lastLine);
  std::string total, records, rows;
  words >> total >> records >> rows;
  EXPECT_EQ("total 1 1000", total + " " + records + " " + rows) << table.output;
  EXPECT_EQ(1, Admin("usage --month 2026-13").status);
}

// A station list in Shift-JIS goes in and comes out in the master files.
TEST_P(AdminTool, StationsGoThroughTheDatabaseIntoTheMasterFiles) {
  std::string list = File("stations.csv", Utf8ToCp932(u8"地点番号,地点名,都府県コード,都府県,地方コード,地方\r\n"
                                                      u8"99501,シアトル,95,ワシントン州,12,北米\r\n"
                                                      u8"11001,稚内港,11,宗谷支庁,01,北海道\r\n"));
  ASSERT_EQ(0, Admin("import-stations " + list + " --encoding shift-jis").status);
  std::string out = folder_ + "/masters";
  ASSERT_EQ(0, Admin("masters --out " + out).status);
  std::string stations, chiten, blocks;
  ASSERT_TRUE(Cp932ToUtf8(test_support::ReadBytes(out + "/M_CHITEN.dat"), stations));
  ASSERT_TRUE(Cp932ToUtf8(test_support::ReadBytes(out + "/Chiten.csv"), chiten));
  ASSERT_TRUE(Cp932ToUtf8(test_support::ReadBytes(out + "/M_BLOCK.dat"), blocks));
  EXPECT_EQ(0u, stations.find(u8"11001,稚内港,11\r\n")) << "renamed in place";
  EXPECT_NE(std::string::npos, stations.rfind(u8"99501,シアトル,95\r\n"));
  EXPECT_NE(std::string::npos, chiten.find(u8"99501,シアトル,ワシントン州,北米\r\n"));
  EXPECT_NE(std::string::npos, blocks.find(u8"12,北米\r\n"));
  EXPECT_EQ(test_support::ReadBytes(NativeBuildFolder() + "/sample/masters/M_A_YEAR.dat"),
            test_support::ReadBytes(out + "/M_A_YEAR.dat"));

  CommandOutcome bad = Admin("import-stations " + File("bad.csv", "99502,X,95,W,12\n"));
  EXPECT_EQ(1, bad.status);
  EXPECT_NE(std::string::npos, bad.output.find("bad.csv line 1: expected 6 fields")) << bad.output;
}

TEST_P(AdminTool, DailyValuesReplaceTheirRangeAndASingleBadLineWritesNothing) {
  ASSERT_EQ(0, Admin("import-stations " + File("st.csv", u8"99501,シアトル,95,ワシントン州,12,北米\n")).status);
  std::string columns = " --station 99501 --columns date=day,precipitation=rain,max_temperature=high";
  std::string first = File("a.csv", "day,rain,high\n2012-01-30,1.5,10.04\n2012-01-31,2.4,-0.05\n2012-02-01,,3\n");
  ASSERT_EQ(0, Admin("import-daily " + first + columns).status);
  EXPECT_EQ("2012|1|30|2|100\n2012|1|31|2|-1\n2012|2|1|32767|30\n",
            Db("SELECT d2, d3, d7, d8, d15 FROM st_data_h WHERE sChiten = 99501 ORDER BY d2, d3, d7"));
  EXPECT_EQ("32767|32767|0\n", Db("SELECT d3, d15, d16 FROM st_data_t WHERE sChiten = 99501 AND d1 = 2012 AND d2 = 1"))
      << "two days of January are too few for its sums and extremes";

  std::string before = DatabaseSnapshot(database_);
  std::string bad = File("b.csv", "day,rain,high\n2012-03-01,1,1\n2012-03-02,lots,1\n");
  CommandOutcome refused = Admin("import-daily " + bad + columns);
  EXPECT_EQ(1, refused.status);
  EXPECT_NE(std::string::npos, refused.output.find("b.csv line 3: precipitation \"lots\"")) << refused.output;
  EXPECT_EQ(before, DatabaseSnapshot(database_));

  std::string again = File("c.csv", "day,rain,high\n2012-01-31,7,5\n");
  ASSERT_EQ(0, Admin("import-daily " + again + columns).status);
  ASSERT_EQ(0, Admin("import-daily " + again + columns).status);
  EXPECT_EQ("2012|1|30|2\n2012|1|31|7\n2012|2|1|32767\n",
            Db("SELECT d2, d3, d7, d8 FROM st_data_h WHERE sChiten = 99501 ORDER BY d2, d3, d7"));
  EXPECT_EQ("1\n", Db("SELECT count(*) FROM st_data_n WHERE sChiten = 99501"));
}

// Real observations: Seattle's daily record of 2012 to 2015 (Debian's
// python3-vega-datasets). The monthly figures were worked out from the file
// by hand: daily values rounded first, halves away from zero.
TEST_P(AdminTool, RealDailyObservationsLoadWithTheirSummaries) {
  ASSERT_EQ(0, Admin("import-stations " + File("st.csv", u8"99501,シアトル,95,ワシントン州,12,北米\n")).status);
  CommandOutcome loaded = Admin("import-daily " + std::string(SEATTLE_WEATHER) +
                         " --station 99501 --columns date=date,precipitation=precipitation,"
                         "max_temperature=temp_max,min_temperature=temp_min,mean_wind=wind");
  ASSERT_EQ(0, loaded.status) << loaded.output;
  EXPECT_EQ("1461|4|48|144|288|292\n",
            Db("SELECT (SELECT count(*) FROM st_data_h WHERE sChiten = 99501), (SELECT count(*) FROM st_data_n "
               "WHERE sChiten = 99501), (SELECT count(*) FROM st_data_t WHERE sChiten = 99501), (SELECT count(*) FROM "
               "st_data_j WHERE sChiten = 99501), (SELECT count(*) FROM st_data_rh WHERE sChiten = 99501), (SELECT "
               "count(*) FROM st_data_th WHERE sChiten = 99501)"));
  // January 2012: rain 175 mm, wettest day the 29th with 28 mm, warmest
  // 12.8 on the 1st, mean high 7.1, coldest -3.3 on the 15th, mean low 1.5;
  // no mean temperature or sunshine in the file.
  EXPECT_EQ("175|28|29|128|1|71|-33|15|15|32767|32767\n",
            Db("SELECT d3, d4, d5, d15, d16, d17, d18, d19, d20, d13, d21 FROM st_data_t "
               "WHERE sChiten = 99501 AND d1 = 2012 AND d2 = 1"));
  EXPECT_EQ("1242\n", Db("SELECT d2 FROM st_data_n WHERE sChiten = 99501 AND d1 = 2012"));
}

}  // namespace
