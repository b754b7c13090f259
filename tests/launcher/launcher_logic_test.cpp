#include <gtest/gtest.h>

#include <climits>
#include <ctime>

#include "launcher/usage_message.h"
#include "launcher/version_list.h"

namespace {

TEST(VersionNumberTest, ReadsLeadingDecimalNumber) {
  EXPECT_EQ(VersionNumber("12"), 12);
  EXPECT_EQ(VersionNumber("  7 beta"), 7);
  EXPECT_EQ(VersionNumber("12 is the newest"), 12);
  EXPECT_EQ(VersionNumber("+5"), 5);
  EXPECT_EQ(VersionNumber("-3"), -3);
  EXPECT_EQ(VersionNumber(""), 0);
  EXPECT_EQ(VersionNumber("v2"), 0);
  EXPECT_EQ(VersionNumber("- 4"), 0);
}

TEST(VersionNumberTest, HoldsHugeNumbersAtTheLimits) {
  EXPECT_EQ(VersionNumber("99999999999999999999999"), INT_MAX);
  EXPECT_EQ(VersionNumber("-99999999999999999999999"), INT_MIN);
  EXPECT_EQ(VersionNumber("2147483647"), INT_MAX);
}

TEST(ParseVersionListTest, FirstLineIsVersionAndEmptyLinesAreSkipped) {
  VersionList list = ParseVersionList("13\nhttp://h/u/a.exe\n\nhttp://h/u/b.dat\n\n");
  EXPECT_EQ(list.version, 13);
  ASSERT_EQ(list.addresses.size(), 2u);
  EXPECT_EQ(list.addresses[0], "http://h/u/a.exe");
  EXPECT_EQ(list.addresses[1], "http://h/u/b.dat");
}

TEST(ParseVersionListTest, CrLfAndMissingLastLineFeedReadAlike) {
  VersionList list = ParseVersionList("4\r\nhttp://h/a.txt\r\n\r\nhttp://h/b.txt");
  EXPECT_EQ(list.version, 4);
  ASSERT_EQ(list.addresses.size(), 2u);
  EXPECT_EQ(list.addresses[0], "http://h/a.txt");
  EXPECT_EQ(list.addresses[1], "http://h/b.txt");
}

TEST(ParseVersionListTest, EmptyOrVersionOnlyList) {
  EXPECT_EQ(ParseVersionList("").version, 0);
  EXPECT_TRUE(ParseVersionList("").addresses.empty());
  VersionList list = ParseVersionList("8\n");
  EXPECT_EQ(list.version, 8);
  EXPECT_TRUE(list.addresses.empty());
}

TEST(DownloadFileNameTest, TakesTextAfterLastSlash) {
  EXPECT_EQ(DownloadFileName("http://host/pg/qorvanet/vindra.exe"), "vindra.exe");
  EXPECT_EQ(DownloadFileName("readme.txt"), "readme.txt");
  // 表 ends in the byte 0x5C: the name is still one plain file name.
  EXPECT_EQ(DownloadFileName("http://host/表.txt"), "表.txt");
}

TEST(DownloadFileNameTest, RefusesNamesThatLeaveTheFolderOrCannotBeFiles) {
  EXPECT_EQ(DownloadFileName("http://host/dir/"), "");
  EXPECT_EQ(DownloadFileName("http://host/.."), "");
  EXPECT_EQ(DownloadFileName("http://host/..\\..\\windows\\evil.exe"), "");
  EXPECT_EQ(DownloadFileName("http://host/c:evil.exe"), "");
  EXPECT_EQ(DownloadFileName("http://host/a.exe?v=2"), "");
  EXPECT_EQ(DownloadFileName(std::string("http://host/a\0b", 14)), "");
}

TEST(UsageMessageTest, ClientNumberIsFirstFiveCharactersOfTheRow) {
  EXPECT_EQ(ClientNumberOf("10001\n"), "10001");
  EXPECT_EQ(ClientNumberOf("1000123\n"), "10001");
  // A short number never carries the row's line feed into the next statement.
  EXPECT_EQ(ClientNumberOf("12\n"), "12");
  EXPECT_EQ(ClientNumberOf(""), "");
}

TEST(UsageMessageTest, CountBetweenCornerBracketsWithoutTrailingWhiteSpace) {
  EXPECT_EQ(UsageCountMessage("1234\n"), "今月は\n【1234】\n件検索しました。");
  EXPECT_EQ(UsageCountMessage("0 \r\n"), "今月は\n【0】\n件検索しました。");
  EXPECT_EQ(UsageCountMessage("5\n6\n"), "今月は\n【5\n6】\n件検索しました。");
  EXPECT_EQ(UsageCountMessage("\n"), "今月は\n【】\n件検索しました。");
}

TEST(UsageMessageTest, YearMonthIsLocalCalendarMonth) {
  std::tm local = {};
  local.tm_year = 2003 - 1900;
  local.tm_mon = 0;
  local.tm_mday = 31;
  local.tm_hour = 23;
  local.tm_min = 59;
  local.tm_isdst = -1;
  EXPECT_EQ(YearMonthOf(std::mktime(&local)), "2003-01");
  local.tm_year = 1999 - 1900;
  local.tm_mon = 11;
  local.tm_mday = 1;
  local.tm_hour = 0;
  local.tm_min = 0;
  EXPECT_EQ(YearMonthOf(std::mktime(&local)), "1999-12");
}

}  // namespace
