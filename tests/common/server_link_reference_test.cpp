// ServerLink against the reference data server on loopback, with the
// fixtures of tests/common/with_link_fixtures.sh: the demo subscriber, two
// subscribers sharing the ID "twin", a subscriber "ledger" without usage
// (all with the demo's password), and a station with yearly rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "common/server_link.h"
#include "common/server_statements.h"
#include "tests/support/test_files.h"

namespace {

constexpr int YEARLY_VALUES_PER_ROW = 26;

// The current month as the server's now() writes it: "YYYY-MM".
std::string ThisMonth() {
  std::time_t now = std::time(nullptr);
  char text[16] = {};
  std::strftime(text, sizeof(text), "%Y-%m", std::localtime(&now));
  return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

class ReferenceServer : public ::testing::Test {
 protected:
  void SetUp() override {
    viewerLink.server = test_support::EnvironmentValue("TARVEX_SERVER_ADDRESS");
    launcherLink.server = viewerLink.server;
    ASSERT_FALSE(viewerLink.server.empty()) << "run under tools/harness/with_server.sh";
  }

  ServerLink viewerLink{VIEWER_ROW_TERMINATOR};
  ServerLink launcherLink{LAUNCHER_ROW_TERMINATOR};
  std::string result;
  int rowCount = -7;
};

TEST_F(ReferenceServer, SignInWithOneMatchingAccountGivesItsClientNumber) {
  ASSERT_TRUE(viewerLink.Execute(SignInStatement("demo", "tarvex"), result, rowCount));
  EXPECT_EQ(rowCount, 1);
  EXPECT_EQ(result, "10001,\n");
  result.clear();
  ASSERT_TRUE(launcherLink.Execute(SignInStatement("demo", "tarvex"), result, rowCount));
  EXPECT_EQ(rowCount, 1);
  EXPECT_EQ(result, "10001\n");
}

TEST_F(ReferenceServer, SignInWithTwoMatchingAccountsGivesTwoRows) {
  ASSERT_TRUE(viewerLink.Execute(SignInStatement("twin", "tarvex"), result, rowCount));
  EXPECT_EQ(rowCount, 2);
  EXPECT_TRUE(result == "20001,\n20002,\n" || result == "20002,\n20001,\n") << result;
}

TEST_F(ReferenceServer, WrongOrCraftedPasswordsMatchNothing) {
  for (const char* password : {"wrong", "tarvex'", "' OR '1'='1", "x' OR user_id <> '"}) {
    result.clear();
    EXPECT_TRUE(viewerLink.Execute(SignInStatement("demo", password), result, rowCount)) << password;
    EXPECT_EQ(rowCount, 0) << password;
    EXPECT_EQ(result, "") << password;
  }
}

// The usage record after a sign-in and this month's sum, for a client
// number with no ledger rows yet; the month pattern's "%" travels unencoded.
TEST_F(ReferenceServer, UsageRecordsAddUpInThisMonthsSum) {
  const std::string clientNo = "20077";
  ASSERT_TRUE(viewerLink.Execute(SignInStatement("ledger", "tarvex"), result, rowCount));
  ASSERT_EQ(result, clientNo + ",\n");
  result.clear();
  const std::string sum = MonthlyUsageStatement(clientNo, ThisMonth());
  ASSERT_TRUE(launcherLink.Execute(sum, result, rowCount));
  EXPECT_EQ(rowCount, 1);
  EXPECT_EQ(result, "0\n");

  for (int rows : {1826, 5}) {
    std::string insertResult;
    ASSERT_TRUE(viewerLink.Execute(UsageRecordStatement(clientNo, rows), insertResult, rowCount));
    EXPECT_EQ(rowCount, 0);
    EXPECT_EQ(insertResult, "");
  }
  result.clear();
  ASSERT_TRUE(launcherLink.Execute(sum, result, rowCount));
  EXPECT_EQ(rowCount, 1);
  EXPECT_EQ(result, "1831\n");
}

TEST_F(ReferenceServer, YearlyObservationQueryGivesOneRowPerYear) {
  const std::string station = test_support::EnvironmentValue("TARVEX_TEST_STATION");
  ASSERT_EQ(station.size(), 5u) << "station from with_link_fixtures.sh";
  // As the viewer does: observations are served after a sign-in only.
  ASSERT_TRUE(viewerLink.Execute(SignInStatement("demo", "tarvex"), result, rowCount));
  result.clear();
  const std::string statement =
      "SELECT * FROM st_data_n WHERE sChiten = " + station + " AND (d1 >= 1999 AND d1 <= 2003);";
  ASSERT_TRUE(viewerLink.Execute(statement, result, rowCount));
  ASSERT_EQ(rowCount, 5);

  std::vector<std::string> rows = Split(result, '\n');
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows.back(), "");
  std::vector<int> years;
  for (int i = 0; i < rowCount; ++i) {
    std::vector<std::string> values = Split(rows[i], ',');
    ASSERT_EQ(values.size(), YEARLY_VALUES_PER_ROW + 1u) << rows[i];
    EXPECT_EQ(values[0], station);
    EXPECT_EQ(values.back(), "") << "the terminator's comma closes the last value";
    years.push_back(std::stoi(values[1]));
  }
  std::sort(years.begin(), years.end());
  EXPECT_EQ(years, (std::vector<int>{1999, 2000, 2001, 2002, 2003}));
}

TEST_F(ReferenceServer, ARefusedStatementFailsWithNoRows) {
  EXPECT_FALSE(viewerLink.Execute("DELETE FROM client_mt;", result, rowCount));
  EXPECT_EQ(rowCount, 0);
  result.clear();
  ASSERT_TRUE(viewerLink.Execute(SignInStatement("demo", "tarvex"), result, rowCount));
  EXPECT_EQ(rowCount, 1);
}

}  // namespace
