#include "viewer/form/master_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/test_files.h"

namespace {

// A master file in a scratch folder of its own, removed with the folder.
class MasterTableTest : public ::testing::Test {
 protected:
  void TearDown() override {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
  std::string Write(const std::string& bytes) {
    folder = test_support::MakeScratchFolder("master_table");
    path = folder + "/M_TEST.dat";
    EXPECT_TRUE(test_support::WriteBytes(path, bytes));
    return path;
  }
  std::string folder;
  std::string path;
};

std::string CodeAt(const MasterTable& table, int row) { return table.CodeAt(row); }

std::string NameAt(const MasterTable& table, int row) { return table.NameAt(row); }

const char HOKKAIDO[] = "\x96\x6b\x8a\x43\x93\xb9";  // 北海道
const char TOHOKU[] = "\x93\x8c\x96\x6b";             // 東北

TEST_F(MasterTableTest, SplitsFieldsAndKeepsFileOrder) {
  std::string file = std::string("01,") + HOKKAIDO + "\r\n" + "02," + TOHOKU + ",10,20,extra,more\n" +
                     "03\n" + "04,last";  // no line end after the last line
  MasterTable table;
  std::string error;
  EXPECT_TRUE(table.Load(Write(file).c_str(), nullptr, nullptr, error));
  EXPECT_EQ("", error);
  ASSERT_EQ(4, table.Count());
  EXPECT_EQ("01", CodeAt(table, 0));
  EXPECT_EQ(HOKKAIDO, NameAt(table, 0));
  EXPECT_EQ("02", CodeAt(table, 1));
  EXPECT_EQ(TOHOKU, NameAt(table, 1));
  EXPECT_EQ("03", CodeAt(table, 2));
  EXPECT_EQ("", NameAt(table, 2));
  EXPECT_EQ("04", CodeAt(table, 3));
  EXPECT_EQ("last", NameAt(table, 3));
}

TEST_F(MasterTableTest, DropsCarriageReturnsAndLineFeedsAnywhereButKeepsBlanks) {
  MasterTable table(Write("0\r1, na\rme ,\r\n").c_str());
  ASSERT_EQ(1, table.Count());
  EXPECT_EQ("01", CodeAt(table, 0));
  EXPECT_EQ(" name ", NameAt(table, 0));
}

TEST_F(MasterTableTest, FiltersOnWholeParentAndGroupKeys) {
  Write(
      "A,in 10,10\n"
      "B,in 1,1\n"
      "C,in 10 group 7,10,7\n"
      "D,in 100,100\n"
      "\n"
      "E,in 2 group 7,2,7\n");
  MasterTable byParent(path.c_str(), "10");
  ASSERT_EQ(2, byParent.Count());
  EXPECT_EQ("A", CodeAt(byParent, 0));
  EXPECT_EQ("C", CodeAt(byParent, 1));

  MasterTable byGroup(path.c_str(), nullptr, "7");
  ASSERT_EQ(2, byGroup.Count());
  EXPECT_EQ("C", CodeAt(byGroup, 0));
  EXPECT_EQ("E", CodeAt(byGroup, 1));

  MasterTable byBoth(path.c_str(), "2", "7");
  ASSERT_EQ(1, byBoth.Count());
  EXPECT_EQ("E", CodeAt(byBoth, 0));

  // Without a filter the blank line is a row of its own, empty code and name.
  MasterTable all(path.c_str());
  ASSERT_EQ(6, all.Count());
  EXPECT_EQ("", CodeAt(all, 4));
  EXPECT_EQ("E", CodeAt(all, 5));
}

TEST_F(MasterTableTest, MissingFileFailsWithAMessageNamingThePathAndLeavesTheTableEmpty) {
  MasterTable table(Write("01,x\n").c_str());
  std::string error;
  EXPECT_FALSE(table.Load("M_BLOCK.dat-absent", nullptr, nullptr, error));
  EXPECT_EQ("マスターファイル[M_BLOCK.dat-absent]は、オープンできません。", error);
  EXPECT_EQ(0, table.Count());
  EXPECT_EQ("", CodeAt(table, 0));
  EXPECT_EQ("", NameAt(table, 0));
}

TEST_F(MasterTableTest, LongPhysicalLinesBecomeSeveralRecords) {
  std::string line300(300, 'a');
  std::string line255(MASTER_RECORD_MAX, 'b');
  MasterTable table(Write(line300 + "\r\n" + line255 + "\r\n" + "next,row\r\n").c_str());
  ASSERT_EQ(4, table.Count());
  EXPECT_EQ(std::string(MASTER_RECORD_MAX, 'a'), CodeAt(table, 0));
  EXPECT_EQ(std::string(300 - (MASTER_RECORD_MAX), 'a'), CodeAt(table, 1));
  // A line filling exactly one read leaves only its line end for the next
  // read; that is not an extra, empty row.
  EXPECT_EQ(line255, CodeAt(table, 2));
  EXPECT_EQ("next", CodeAt(table, 3));
}

TEST_F(MasterTableTest, KeepsAtMostTheStorageAndRefusesPositionsOutside) {
  std::string file;
  for (int i = 0; i < MASTER_ROWS + 40; ++i) file += std::to_string(i) + ",n" + std::to_string(i) + "\n";
  MasterTable table;
  std::string error;
  EXPECT_TRUE(table.Load(Write(file).c_str(), nullptr, nullptr, error));
  ASSERT_EQ(MASTER_ROWS, table.Count());
  EXPECT_EQ("255", CodeAt(table, MASTER_ROWS - 1));
  EXPECT_EQ("n255", NameAt(table, MASTER_ROWS - 1));
  EXPECT_EQ("", CodeAt(table, MASTER_ROWS));
  EXPECT_EQ("", NameAt(table, -1));
}

#ifdef _WIN32
// Master files are read in the platform's text mode: CR LF becomes LF and the
// byte 0x1A ends the file.
TEST_F(MasterTableTest, TextModeEndsTheFileAtControlZ) {
  MasterTable table(Write("1,one\r\n2,two\r\n\x1a" "3,three\r\n").c_str());
  ASSERT_EQ(2, table.Count());
  EXPECT_EQ("two", NameAt(table, 1));
}
#endif

}  // namespace
