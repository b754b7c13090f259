// The platform's one rule for paths under Wine: which text names a path of
// the system, and that every file operation of the layer reaches the path a
// stand-in stands for. Wine's volumes always have short names, so the
// stand-in is reached through PathTextFor with no short form, as on a
// Windows volume without them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/profile.h"
#include "platform/temp_folder.h"
#include "platform/wide_text.h"
#include "platform/win32.h"

namespace {

namespace fs = std::filesystem;
using platform::PATH_BYTES_MAX;
using platform::PathTextFor;
using platform::SystemPath;

constexpr wchar_t FOREIGN_NAME[] = L"José Ñúñez";
constexpr char FOREIGN_SHOWN[] = "Jos? ???ez";

struct RuleCase {
  std::wstring path;
  std::wstring shortForm;
  size_t maxBytes;
  std::string expected;
};

TEST(PathRule, TheFirstFormShiftJisHoldsThatFitsNamesThePath) {
  const std::wstring longName(130, L'l');
  const std::wstring longPath = L"C:\\rule\\" + longName + L"\\" + longName;
  const RuleCase cases[] = {
      {L"C:\\rule\\Tarvex", L"C:\\RULE\\TARVEX", PATH_BYTES_MAX, "C:\\rule\\Tarvex"},
      // 表 ends in the byte of "\": still the path itself.
      {L"C:\\rule\\設定表", L"C:\\RULE\\E8A8~1", PATH_BYTES_MAX, "C:\\rule\\設定表"},
      {L"C:\\rule\\José Ñúñez", L"C:\\RULE\\JOS_~XOP", PATH_BYTES_MAX, "C:\\RULE\\JOS_~XOP"},
      // No short form: the stand-in; "¥" is no look-alike of the separator.
      {L"C:\\rule\\Müller", L"", PATH_BYTES_MAX, "C:\\rule\\M?ller"},
      {L"C:\\rule\\¥100", L"", PATH_BYTES_MAX, "C:\\rule\\?100"},
      // A short form Shift-JIS lacks is no better than none.
      {L"C:\\rule\\Nüñez", L"C:\\RULE\\NÜÑEZ~1", PATH_BYTES_MAX, "C:\\rule\\N??ez"},
      // Too long: the short form when it fits, else nothing; a stand-in is
      // no shorter.
      {longPath, L"C:\\RULE\\LLLLLL~1\\LLLLLL~1", PATH_BYTES_MAX, "C:\\RULE\\LLLLLL~1\\LLLLLL~1"},
      {longPath, L"", PATH_BYTES_MAX, ""},
      {L"C:\\rule\\Öl", L"", 8, ""},
      {L"C:\\rule\\Öl", L"", 10, "C:\\rule\\?l"},
      {L"", L"", PATH_BYTES_MAX, ""},
  };
  for (const RuleCase& c : cases) {
    EXPECT_EQ(c.expected, PathTextFor(c.path, c.shortForm, c.maxBytes)) << platform::ToNarrowMarked(c.path);
  }
}

TEST(PathRule, AStandInNamesOnePathOnlyAndLeadsBackToIt) {
  // (The macros spell out their arguments in Shift-JIS, so the paths that
  // it lacks stand in variables.)
  const std::wstring jose = L"C:\\one\\José";
  const std::wstring joseBelow = jose + L"\\Ñu";
  const std::wstring grave = L"C:\\one\\Josè";
  const std::wstring graveBelow = grave + L"\\Ñv";
  EXPECT_EQ("C:\\one\\Jos?", PathTextFor(jose, L"", PATH_BYTES_MAX));
  EXPECT_EQ("C:\\one\\Jos?", PathTextFor(jose, L"", PATH_BYTES_MAX));
  EXPECT_EQ("", PathTextFor(grave, L"", PATH_BYTES_MAX));
  // Below a stand-in: another one that agrees with it, not one that does not.
  EXPECT_EQ("C:\\one\\Jos?\\?u", PathTextFor(joseBelow, L"", PATH_BYTES_MAX));
  EXPECT_EQ("", PathTextFor(graveBelow, L"", PATH_BYTES_MAX));

  EXPECT_EQ(jose + L"\\qorvanet.ini", SystemPath("C:\\one\\Jos?\\qorvanet.ini"));
  EXPECT_EQ(joseBelow + L"\\temp.html", SystemPath("C:\\one\\Jos?\\?u\\temp.html"));
  EXPECT_EQ(jose + L"\\表.txt", SystemPath("C:\\one\\Jos?\\表.txt"));
  EXPECT_EQ(L"C:\\two\\Jos?", SystemPath("C:\\two\\Jos?"));  // never given out
  EXPECT_EQ(L"C:\\設定表\\a", SystemPath("C:\\設定表\\a"));
  EXPECT_EQ(L"", SystemPath(nullptr));
  EXPECT_EQ(FOREIGN_SHOWN, platform::ShownPath(FOREIGN_NAME));
}

// A folder named with characters outside Shift-JIS, and its stand-in.
class ForeignFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / L"tarvex-test-path" / FOREIGN_NAME;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    ASSERT_TRUE(fs::create_directories(folder));
    standIn = PathTextFor(folder.wstring(), L"", PATH_BYTES_MAX);
    ASSERT_NE(std::string::npos, standIn.find(FOREIGN_SHOWN)) << standIn;
  }

  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder.parent_path(), ignored);
  }

  std::string Below(const std::string& folderText, const char* name) const { return folderText + "\\" + name; }
  std::string Content(const wchar_t* name) const {
    std::ifstream in(folder / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path folder;
  std::string standIn;
};

bool WriteThrough(const std::string& path, const std::string& bytes) {
  std::FILE* file = platform::OpenFile(path.c_str(), L"wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

TEST_F(ForeignFolder, EveryFileOperationReachesTheFolderAStandInStandsFor) {
  ASSERT_TRUE(WriteThrough(Below(standIn, "data.bin"), "abc"));
  EXPECT_TRUE(fs::exists(folder / L"data.bin"));
  ASSERT_TRUE(platform::MoveFileOver(Below(standIn, "data.bin").c_str(), Below(standIn, "moved.bin").c_str()));
  EXPECT_FALSE(fs::exists(folder / L"data.bin"));
  EXPECT_TRUE(fs::exists(folder / L"moved.bin"));
  EXPECT_TRUE(platform::RemoveFile(Below(standIn, "moved.bin").c_str()));
  EXPECT_FALSE(fs::exists(folder / L"moved.bin"));

  const std::string settings = Below(standIn, "qorvanet.ini");
  ASSERT_TRUE(platform::ReplaceProfileSection(settings.c_str(), "Version", {"SystemVer=7"}));
  EXPECT_EQ("7", platform::ReadProfileString(settings.c_str(), "Version", "SystemVer", "", 260));
  EXPECT_NE(std::string::npos, Content(L"qorvanet.ini").find("SystemVer=7"));
}

TEST_F(ForeignFolder, WhereTheVolumeHasShortNamesTheyNameTheFolder) {
  std::string text = platform::PathText(folder.wstring());
  EXPECT_EQ(std::string::npos, text.find('?')) << text;
  ASSERT_TRUE(WriteThrough(Below(text, "short.txt"), "short"));
  EXPECT_EQ("short", Content(L"short.txt"));
}

// TEMP as the process environment holds it, put back afterwards.
class TempVariable {
 public:
  TempVariable() {
    DWORD size = GetEnvironmentVariableW(L"TEMP", nullptr, 0);
    had = size > 0;
    if (had) {
      previous.resize(size);
      previous.resize(GetEnvironmentVariableW(L"TEMP", &previous[0], size));
    }
  }
  ~TempVariable() { SetEnvironmentVariableW(L"TEMP", had ? previous.c_str() : nullptr); }
  void Set(const std::wstring& value) { SetEnvironmentVariableW(L"TEMP", value.c_str()); }
  void Unset() { SetEnvironmentVariableW(L"TEMP", nullptr); }

 private:
  bool had = false;
  std::wstring previous;
};

TEST_F(ForeignFolder, TempNamesItsFolderWhateverItsCharacters) {
  TempVariable temp;
  temp.Set(folder.wstring());
  platform::TempFolder found = platform::FindTempFolder(245);
  EXPECT_TRUE(found.set);
  EXPECT_NE(std::string::npos, found.shown.find(FOREIGN_SHOWN)) << found.shown;
  ASSERT_FALSE(found.path.empty());
  ASSERT_TRUE(WriteThrough(Below(found.path, "temp.html"), "page"));
  EXPECT_EQ("page", Content(L"temp.html"));

  // A folder that does not exist has no short form: its stand-in.
  temp.Set(folder.wstring() + L"\\Ñandú");
  found = platform::FindTempFolder(245);
  EXPECT_EQ(standIn + "\\?and?", found.path);

  temp.Set(L"C:\\" + std::wstring(300, L't'));
  found = platform::FindTempFolder(245);
  EXPECT_TRUE(found.set);
  EXPECT_EQ("", found.path);
  EXPECT_EQ(303u, found.shown.size());

  temp.Unset();
  found = platform::FindTempFolder(245);
  EXPECT_FALSE(found.set);
  EXPECT_EQ("", found.path);
}

}  // namespace
