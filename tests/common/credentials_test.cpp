// The credentials file beside the test executable: its exact bytes, files
// written by earlier versions, and values that could not be read back.
#include <gtest/gtest.h>
#include <process.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/credentials_file.h"
#include "common/install_folder.h"
#include "platform/module_path.h"
#include "platform/wide_text.h"
#include "tests/support/test_files.h"

namespace {

constexpr size_t CREDENTIAL_LINE_MAX = 1022;
namespace fs = std::filesystem;

const char CHILD_MARK[] = "TARVEX_CREDENTIALS_CHILD";
const wchar_t CHILD_MARK_WIDE[] = L"TARVEX_CREDENTIALS_CHILD";
const char JAPANESE_ID[] = "\x8e\x52\x93\x63\x95\x5c";  // 山田表: 表 ends in the byte 0x5C

class CredentialsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = CredentialsFile::Path();
    ASSERT_FALSE(path.empty());
    std::remove(path.c_str());
  }
  void TearDown() override { std::remove(path.c_str()); }

  // Writes, then reads back into texts that start out non-empty.
  void RoundTrip(const std::string& userId, const std::string& password) {
    ASSERT_TRUE(CredentialsFile::Write(userId, password));
    std::string readId = "x";
    std::string readPassword = "x";
    CredentialsFile::Read(readId, readPassword);
    EXPECT_EQ(userId, readId);
    EXPECT_EQ(password, readPassword);
  }

  std::string path;
};

TEST(PasswordScramble, ShiftsEveryByteBySixteen) {
  EXPECT_EQ("QRS", CredentialsFile::ScramblePassword("abc"));
  EXPECT_EQ("\x1a", CredentialsFile::ScramblePassword("*"));
  EXPECT_EQ(std::string("\xf5\x00", 2), CredentialsFile::ScramblePassword(std::string("\x05\x10", 2)));
  std::string every;
  for (int b = 0; b < 256; ++b) every.push_back(static_cast<char>(b));
  EXPECT_EQ(every, CredentialsFile::UnscramblePassword(CredentialsFile::ScramblePassword(every)));
}

TEST_F(CredentialsTest, StoresTwoCrLfLinesWithTheScrambledPassword) {
  ASSERT_TRUE(CredentialsFile::Write(" user 1 ", "abc"));
  EXPECT_EQ(" user 1 \r\nQRS\r\n", test_support::ReadBytes(path));
  ASSERT_TRUE(CredentialsFile::Write("u", ""));
  EXPECT_EQ("u\r\n\r\n", test_support::ReadBytes(path));
}

TEST_F(CredentialsTest, EveryPrintablePasswordReadsBackIncludingTheAsterisk) {
  std::string printable;
  for (int b = 0x20; b <= 0x7e; ++b) printable.push_back(static_cast<char>(b));
  RoundTrip(" lead and trail ", printable);
  RoundTrip(JAPANESE_ID, "**");
  std::string highBytes;
  for (int b = 0x80; b <= 0xff; ++b) highBytes.push_back(static_cast<char>(b));
  RoundTrip(highBytes, highBytes);
  RoundTrip(std::string(CREDENTIAL_LINE_MAX, 'i'), std::string(CREDENTIAL_LINE_MAX, 'p'));
}

TEST_F(CredentialsTest, ReadsFilesAsEarlierVersionsWroteThem) {
  struct Case {
    const char* bytes;
    const char* userId;
    const char* password;
  };
  const Case cases[] = {
      {"id\r\nQRS\r\n", "id", "abc"},
      {"id\nQRS\n", "id", "abc"},
      {"id\r\nQRS", "id", "abc"},
      {"\r\nQRS\r\n", "", "abc"},
      {"only\r\n", "only", "kept"},
      {"", "kept", "kept"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(test_support::WriteBytes(path, c.bytes));
    std::string userId = "kept";
    std::string password = "kept";
    CredentialsFile::Read(userId, password);
    EXPECT_EQ(c.userId, userId) << "file: " << c.bytes;
    EXPECT_EQ(c.password, password) << "file: " << c.bytes;
  }
}

TEST_F(CredentialsTest, MissingFileLeavesTheTextsAsTheyAre) {
  std::string userId = "before";
  std::string password = "before";
  CredentialsFile::Read(userId, password);
  EXPECT_EQ("before", userId);
  EXPECT_EQ("before", password);
}

TEST_F(CredentialsTest, RefusesValuesThatWouldNotReadBackWholeAndKeepsTheFile) {
  ASSERT_TRUE(CredentialsFile::Write("id", "abc"));
  const std::string before = test_support::ReadBytes(path);
  EXPECT_FALSE(CredentialsFile::Write(std::string(CREDENTIAL_LINE_MAX + 1, 'i'), "abc"));
  EXPECT_FALSE(CredentialsFile::Write("id", std::string(CREDENTIAL_LINE_MAX + 1, 'p')));
  EXPECT_FALSE(CredentialsFile::Write("two\nlines", "abc"));
  EXPECT_FALSE(CredentialsFile::Write("id", "\x1a"));  // scrambles to a line feed
  EXPECT_EQ(before, test_support::ReadBytes(path));
}

TEST_F(CredentialsTest, OverlongLinesAreCutNotSplitIntoTheNextLine) {
  ASSERT_TRUE(test_support::WriteBytes(path, std::string(2000, 'i') + "\r\n" + std::string(1500, 'Q') + "\r\n"));
  std::string userId;
  std::string password;
  CredentialsFile::Read(userId, password);
  EXPECT_EQ(std::string(CREDENTIAL_LINE_MAX, 'i'), userId);
  EXPECT_EQ(std::string(CREDENTIAL_LINE_MAX, 'a'), password);
}

// Run only by the folder test below, from a copy of this program in another
// folder.
TEST(CredentialsFolder, DISABLED_CopyReadsAndWritesBesideItself) {
  ASSERT_NE(nullptr, std::getenv(CHILD_MARK)) << "run by the folder test below";
  std::string userId = "kept";
  std::string password = "kept";
  EXPECT_TRUE(InstallFolderUsable());
  CredentialsFile::Read(userId, password);
  EXPECT_EQ("parent", userId);
  EXPECT_EQ("abc", password);
  EXPECT_TRUE(CredentialsFile::Write(JAPANESE_ID, "p*ss"));
}

// A copy of this program in `folder` (created afresh, with a credentials
// file from "the parent"), run on the test above.
class CopyInFolder : public ::testing::Test {
 protected:
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  intptr_t RunCopy(const fs::path& folder) {
    std::error_code ignored;
    fs::remove_all(root, ignored);
    EXPECT_TRUE(fs::create_directories(folder));
    fs::path self = fs::path(platform::ModuleFolder() + "\\" + platform::ModuleTitle() + ".exe");
    fs::path copy = folder / self.filename();
    EXPECT_TRUE(fs::copy_file(self, copy));
    { std::ofstream(folder / L"user_inf.txt", std::ios::binary) << "parent\r\nQRS\r\n"; }

    std::wstring quoted = L"\"" + copy.wstring() + L"\"";
    _wputenv((std::wstring(CHILD_MARK_WIDE) + L"=1").c_str());
    intptr_t exitCode = _wspawnl(_P_WAIT, copy.c_str(), quoted.c_str(),
                                 L"--gtest_filter=CredentialsFolder.DISABLED_CopyReadsAndWritesBesideItself",
                                 L"--gtest_also_run_disabled_tests", nullptr);
    _wputenv((std::wstring(CHILD_MARK_WIDE) + L"=").c_str());
    return exitCode;
  }

  static std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  const fs::path root = fs::temp_directory_path() / L"tarvex-test-copies";
};

// Folders a Shift-JIS path cannot name as they are: "表" ends in the byte
// 0x5C, the backslash; "José Ñúñez" holds characters Shift-JIS lacks; and a
// folder of double-byte characters whose path passes the programs' limit in
// Shift-JIS bytes while the platform's own limit still lets the copy start.
// The last two are named by their short forms.
TEST_F(CopyInFolder, TheCopyFindsAndWritesItsFilesWhateverItsFolderIsCalled) {
  fs::path overlong = root;
  while (platform::ToNarrow(overlong.c_str()).size() <= platform::PATH_BYTES_MAX) {
    overlong /= std::wstring(30, L'\u3042');  // あ
  }
  ASSERT_LT(overlong.wstring().size(), 220u);
  for (const fs::path& folder : {root / L"\u8a2d\u5b9a\u8868", root / L"Jos\u00e9 \u00d1\u00fa\u00f1ez", overlong}) {
    SCOPED_TRACE(platform::ToNarrowMarked(folder.wstring()));
    EXPECT_EQ(0, RunCopy(folder));
    EXPECT_EQ(std::string(JAPANESE_ID) + "\r\n" + "`\x1a" "cc\r\n", ReadFile(folder / L"user_inf.txt"));
  }
  EXPECT_FALSE(test_support::FileExists(CredentialsFile::Path()));
}

}  // namespace
