// The sample installation the build writes: master files that hang together
// and a database whose summary tables agree with its daily rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "server/accounts/password_hash.h"
#include "server/database/connection.h"
#include "server/text/text_encoding.h"
#include "server/tools/master_files.h"
#include "server/tools/sample_installation.h"
#include "tests/server/database_probe.h"
#include "tests/server/server_process.h"
#include "tests/support/test_files.h"

namespace {

using Lines = std::vector<std::vector<std::string>>;

std::string SampleFolder() { return NativeBuildFolder() + "/sample"; }
std::string SampleDatabase() { return SampleFolder() + "/norda.sqlite"; }
std::string Sample(const std::string& sql) { return QueryDatabase(SampleDatabase(), sql); }

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream stream(text);
  while (std::getline(stream, part, separator)) parts.push_back(part);
  return parts;
}

// Reads a master file: checks it is Shift-JIS with CR LF line ends and
// returns its lines (in UTF-8) cut into fields.
Lines ReadMaster(const std::string& name) {
  std::string bytes = test_support::ReadBytes(SampleFolder() + "/masters/" + name);
  EXPECT_FALSE(bytes.empty()) << name;
  EXPECT_EQ("\r\n", bytes.substr(bytes.size() - 2)) << name;
  EXPECT_EQ(std::string::npos, bytes.find('?')) << name << ": a name Shift-JIS cannot hold";
  std::string text;
  EXPECT_TRUE(Cp932ToUtf8(bytes, text)) << name;
  Lines lines;
  for (std::string line : Split(text, '\n')) {
    EXPECT_EQ('\r', line.back()) << name << ": " << line;
    line.pop_back();
    lines.push_back(Split(line, ','));
  }
  return lines;
}

TEST(SampleMasters, BlocksPrefecturesAndStationsHangTogether) {
  Lines blocks = ReadMaster("M_BLOCK.dat");
  ASSERT_GE(blocks.size(), 8u);
  EXPECT_EQ((std::vector<std::string>{"01", u8"北海道"}), blocks[0]);
  EXPECT_EQ((std::vector<std::string>{"02", u8"東北"}), blocks[1]);
  std::set<std::string> blockCodes;
  for (const auto& block : blocks) blockCodes.insert(block.at(0));

  std::map<std::string, std::string> prefectureBlock;
  for (const auto& prefecture : ReadMaster("M_TOFUKEN.dat")) {
    ASSERT_EQ(3u, prefecture.size());
    EXPECT_EQ(1u, blockCodes.count(prefecture[2])) << prefecture[1];
    EXPECT_TRUE(prefectureBlock.emplace(prefecture[0], prefecture[2]).second) << prefecture[0];
  }
  Lines stations = ReadMaster("M_CHITEN.dat");
  ASSERT_GE(stations.size(), 60u);
  std::set<std::string> numbers, blocksWithStations, prefecturesWithStations;
  for (const auto& station : stations) {
    ASSERT_EQ(3u, station.size());
    EXPECT_EQ(5u, station[0].size());
    EXPECT_EQ(std::string::npos, station[0].find_first_not_of("0123456789")) << station[0];
    EXPECT_TRUE(numbers.insert(station[0]).second) << station[0];
    ASSERT_EQ(1u, prefectureBlock.count(station[2])) << station[1];
    prefecturesWithStations.insert(station[2]);
    blocksWithStations.insert(prefectureBlock[station[2]]);
  }
  EXPECT_EQ(blockCodes.size(), blocksWithStations.size());
  EXPECT_EQ(prefectureBlock.size(), prefecturesWithStations.size());

  Lines list = ReadMaster("Chiten.csv");
  ASSERT_EQ(stations.size() + 1, list.size());
  EXPECT_EQ((std::vector<std::string>{u8"地点番号", u8"地点名", u8"都府県", u8"地方"}), list[0]);
  EXPECT_EQ((std::vector<std::string>{"11001", u8"稚内", u8"宗谷支庁", u8"北海道"}), list[1]);
}

TEST(SampleMasters, ListSixPeriodTypesAndFiveYears) {
  EXPECT_EQ((Lines{{"1", u8"日別値"}, {"2", u8"通年半旬別値"}, {"3", u8"暦日半旬別値"}, {"4", u8"旬別値"},
                   {"5", u8"月別値"}, {"6", u8"年別値"}}),
            ReadMaster("M_KISYU.dat"));
  Lines years = ReadMaster("M_A_YEAR.dat");
  ASSERT_EQ(5u, years.size());
  for (int i = 0; i < 5; ++i) EXPECT_EQ(std::to_string(1999 + i), years[i].at(1));
}

TEST(SampleDatabase, HoldsTheDemoAccountWithItsPasswordHashedAndAnEmptyLedger) {
  EXPECT_EQ("10001|demo\n", Sample("SELECT client_no, user_id FROM client_mt"));
  std::string hash = Sample("SELECT password FROM client_mt");
  hash.pop_back();
  EXPECT_TRUE(VerifyPassword(hash, "tarvex")) << hash;
  EXPECT_EQ("0\n", Sample("SELECT count(*) FROM fee_history_dt"));
}

TEST(SampleDatabase, EveryStationHasEveryPeriodOfItsYears) {
  Lines stations = ReadMaster("M_CHITEN.dat");
  std::string expected;
  for (const auto& station : stations) {
    bool fromYear2001 = station[1] == u8"南大東島";
    expected += station[0] + (fromYear2001 ? "|1095|219|216|108|36|3\n" : "|1826|365|360|180|60|5\n");
  }
  std::string counts = Sample(
      "SELECT h.sChiten, h.n, th.n, rh.n, j.n, t.n, y.n FROM "
      "(SELECT sChiten, count(*) n FROM st_data_h GROUP BY sChiten) h "
      "JOIN (SELECT sChiten, count(*) n FROM st_data_th GROUP BY sChiten) th USING (sChiten) "
      "JOIN (SELECT sChiten, count(*) n FROM st_data_rh GROUP BY sChiten) rh USING (sChiten) "
      "JOIN (SELECT sChiten, count(*) n FROM st_data_j GROUP BY sChiten) j USING (sChiten) "
      "JOIN (SELECT sChiten, count(*) n FROM st_data_t GROUP BY sChiten) t USING (sChiten) "
      "JOIN (SELECT sChiten, count(*) n FROM st_data_n GROUP BY sChiten) y USING (sChiten) "
      "ORDER BY CAST(h.sChiten AS TEXT)");
  // M_CHITEN.dat lists stations by prefecture block, the query by number.
  std::vector<std::string> expectedRows = Split(expected, '\n'), countRows = Split(counts, '\n');
  std::sort(expectedRows.begin(), expectedRows.end());
  EXPECT_EQ(expectedRows, countRows);
}

TEST(SampleDatabase, TablesHaveTheColumnCountsTheViewerReads) {
  EXPECT_EQ("18\n27\n23\n23\n22\n26\n",
            Sample("SELECT count(*) FROM pragma_table_info('st_data_h');"
                   "SELECT count(*) FROM pragma_table_info('st_data_th');"
                   "SELECT count(*) FROM pragma_table_info('st_data_rh');"
                   "SELECT count(*) FROM pragma_table_info('st_data_j');"
                   "SELECT count(*) FROM pragma_table_info('st_data_t');"
                   "SELECT count(*) FROM pragma_table_info('st_data_n');"));
}

TEST(SampleDatabase, SummariesAgreeWithTheDailyRows) {
  // Monthly precipitation is the sum of the month's days when none is missing.
  EXPECT_EQ("0\n", Sample("SELECT count(*) FROM st_data_t t JOIN (SELECT sChiten s, d2 y, d3 m, SUM(d8) p, "
                          "MAX(d8 = 32767) gap FROM st_data_h GROUP BY 1, 2, 3) d "
                          "ON t.sChiten = d.s AND t.d1 = d.y AND t.d2 = d.m WHERE d.gap = 0 AND t.d3 <> d.p"));
  // Ten-day parts likewise, grouped by the daily rows' ten-day column.
  EXPECT_EQ("0\n", Sample("SELECT count(*) FROM st_data_j j JOIN (SELECT sChiten s, d2 y, d3 m, d6 part, SUM(d8) p, "
                          "MAX(d8 = 32767) gap FROM st_data_h GROUP BY 1, 2, 3, 4) d ON j.sChiten = d.s AND "
                          "j.d1 = d.y AND j.d2 = d.m AND j.d3 = d.part WHERE d.gap = 0 AND j.d4 <> d.p"));
  // The monthly highest temperature happened on the day it names, and no
  // day of the month was warmer.
  EXPECT_EQ("0\n", Sample("SELECT count(*) FROM st_data_t t WHERE t.d15 <> 32767 AND NOT EXISTS (SELECT 1 FROM "
                          "st_data_h h WHERE h.sChiten = t.sChiten AND h.d2 = t.d1 AND h.d3 = t.d2 AND "
                          "h.d7 = t.d16 AND h.d15 = t.d15)"));
  EXPECT_EQ("0\n", Sample("SELECT count(*) FROM st_data_t t JOIN st_data_h h ON h.sChiten = t.sChiten AND "
                          "h.d2 = t.d1 AND h.d3 = t.d2 WHERE t.d15 <> 32767 AND h.d15 <> 32767 AND h.d15 > t.d15"));
  // The yearly lowest temperature carries its month and day.
  EXPECT_EQ("0\n", Sample("SELECT count(*) FROM st_data_n n WHERE n.d21 <> 32767 AND NOT EXISTS (SELECT 1 FROM "
                          "st_data_h h WHERE h.sChiten = n.sChiten AND h.d2 = n.d1 AND h.d3 = n.d22 AND "
                          "h.d7 = n.d23 AND h.d16 = n.d21)"));
  // 29 February belongs to the twelfth pentad of the year, which then has six days.
  EXPECT_EQ("6\n5\n", Sample("SELECT count(*) FROM st_data_h WHERE sChiten = 44001 AND d2 = 2000 AND d4 = 12;"
                             "SELECT count(*) FROM st_data_h WHERE sChiten = 44001 AND d2 = 2001 AND d4 = 12;"));
  EXPECT_EQ("0\n", Sample("SELECT count(*) FROM st_data_th th JOIN (SELECT sChiten s, d2 y, d4 k, SUM(d8) p, "
                          "MAX(d8 = 32767) gap FROM st_data_h GROUP BY 1, 2, 3) d ON th.sChiten = d.s AND "
                          "th.d1 = d.y AND th.d2 = d.k WHERE d.gap = 0 AND th.d3 <> d.p"));
}

TEST(SampleDatabase, ValuesArePlausibleWithAFewMissing) {
  EXPECT_EQ("0\n", Sample("SELECT count(*) FROM st_data_h WHERE d15 <> 32767 AND d16 <> 32767 AND d15 < d16"));
  EXPECT_EQ("0\n", Sample("SELECT count(*) FROM st_data_h WHERE (d12 NOT BETWEEN 0 AND 16 AND d12 <> 32767) OR "
                          "(d13 NOT BETWEEN 0 AND 16 AND d13 <> 32767)"));
  EXPECT_EQ("1\n", Sample("SELECT (SELECT avg(d14) FROM st_data_h WHERE sChiten = 91001 AND d14 <> 32767) > "
                          "(SELECT avg(d14) FROM st_data_h WHERE sChiten = 14001 AND d14 <> 32767) + 100"));
  // A few daily values are missing, not many; a sensor outage shows in the
  // month's summary; a rain gauge has nothing but precipitation.
  std::string missing = Sample("SELECT count(*) FROM st_data_h WHERE d14 = 32767 AND d15 <> 32767");
  EXPECT_GT(std::stoi(missing), 0);
  EXPECT_LT(std::stoi(missing), 1000);
  EXPECT_EQ("32767\n", Sample("SELECT d21 FROM st_data_t WHERE sChiten = 48001 AND d1 = 2001 AND d2 = 7"));
  EXPECT_EQ("32767|1\n", Sample("SELECT d15, d2 <> 32767 FROM st_data_n WHERE sChiten = 33021 AND d1 = 2002"));
}

TEST(SampleDatabase, GenerationIsDeterministic) {
  std::string folder = test_support::MakeScratchFolder("sample-again");
  std::string error;
  ASSERT_TRUE(WriteSampleDatabase(folder + "/norda.sqlite", error)) << error;
  {
    std::unique_ptr<Connection> db = OpenConnection(folder + "/norda.sqlite", ConnectionUse::Administration, error);
    ASSERT_TRUE(db && WriteMasterFiles(*db, folder, error)) << error;
  }
  for (const char* name : {"M_BLOCK.dat", "M_TOFUKEN.dat", "M_CHITEN.dat", "M_KISYU.dat", "M_A_YEAR.dat",
                           "Chiten.csv"}) {
    EXPECT_EQ(test_support::ReadBytes(SampleFolder() + "/masters/" + name),
              test_support::ReadBytes(folder + "/" + name))
        << name;
  }
  const std::string fingerprint =
      "SELECT count(*), total(d8), total(d14), total(d17 * d2) FROM st_data_h;"
      "SELECT count(*), total(d3), total(d25 * d1), total(d18) FROM st_data_n;"
      "SELECT count(*), total(d14), total(d26) FROM st_data_th;";
  EXPECT_EQ(Sample(fingerprint), QueryDatabase(folder + "/norda.sqlite", fingerprint));
  std::filesystem::remove_all(folder);
}

}  // namespace
