// The shell's "open" and find-executable against a real association: the
// open recorder registered in this prefix stands in for the browser.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/path_text.h"
#include "platform/shell.h"
#include "platform/wide_text.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/message_box_watcher_win.h"
#include "tests/support/open_recorder_win.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

using namespace test_support;

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegisterOpenRecorder());
    folder = MakeScratchFolder("shell");
    windowsFolder = WindowsPath(folder);
    log = folder + "/opened.log";
    UseOpenRecorderLog(log);
  }

  std::string folder;
  std::string windowsFolder;
  std::string log;
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST_F(ShellTest, FindExecutableNamesTheAssociatedProgramOfAnExistingFile) {
  ASSERT_TRUE(WriteBytes(folder + "/output.html", "<html></html>"));
  std::string program = platform::FindExecutable((windowsFolder + "\\output.html").c_str(), nullptr);
  EXPECT_EQ(Lower(program), Lower(OpenRecorderPath()));

  // Relative to a folder, as the launcher asks for its page template.
  EXPECT_EQ(Lower(platform::FindExecutable("output.html", windowsFolder.c_str())), Lower(OpenRecorderPath()));
}

TEST_F(ShellTest, FindExecutableOfAMissingFileIsEmpty) {
  EXPECT_EQ(platform::FindExecutable((windowsFolder + "\\absent.html").c_str(), nullptr), "");
}

TEST_F(ShellTest, OpenHandsDocumentsToTheirAssociatedProgram) {
  std::string page = windowsFolder + "\\表示.html";
  std::string table = windowsFolder + "\\temp.csv";
  std::ofstream(std::filesystem::path(platform::ToWide(page.c_str()))) << "x";
  ASSERT_TRUE(WriteBytes(table, "x"));
  EXPECT_TRUE(platform::ShellOpen(page.c_str(), nullptr, nullptr));
  ASSERT_EQ(WaitForOpenRecords(log, 1).size(), 1u);
  EXPECT_TRUE(platform::ShellOpen(table.c_str(), nullptr, nullptr));
  std::vector<OpenRecord> opened = WaitForOpenRecords(log, 2);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(Lower(opened[0].arguments), Lower("\"" + page + "\""));
  EXPECT_EQ(Lower(opened[1].arguments), Lower("\"" + table + "\""));
}

TEST_F(ShellTest, OpenStartsAProgramWithParametersInItsFolder) {
  EXPECT_TRUE(platform::ShellOpen(OpenRecorderPath().c_str(), "http://" TEST_ADDRESS_PLATFORM_SHELL_HOST "/ 利用者", windowsFolder.c_str()));
  std::vector<OpenRecord> opened = WaitForOpenRecords(log, 1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].arguments, "http://" TEST_ADDRESS_PLATFORM_SHELL_HOST "/ 利用者");
  EXPECT_EQ(Lower(opened[0].folder), Lower(windowsFolder));
}

TEST_F(ShellTest, OpenOfAnAddressGoesToTheAddressHandler) {
  platform::ShellOpen("http://" TEST_ADDRESS_PLATFORM_SHELL_HOST "/", nullptr, nullptr);
  std::vector<OpenRecord> opened = WaitForOpenRecords(log, 1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].arguments, "\"http://" TEST_ADDRESS_PLATFORM_SHELL_HOST "/\"");
}

TEST_F(ShellTest, PathsOutsideShiftJisReachTheShellWhole) {
  namespace fs = std::filesystem;
  const fs::path foreign = fs::path(platform::ToWide(windowsFolder.c_str())) / L"José Ñúñez";
  ASSERT_TRUE(fs::create_directories(foreign));
  std::ofstream(foreign / L"page.html") << "x";
  std::ofstream(foreign / L"guide with blanks.txt") << "x";
  // The stand-in, as on a volume without short names.
  const std::string standIn = platform::PathTextFor(foreign.wstring(), L"", platform::PATH_BYTES_MAX);
  ASSERT_NE(std::string::npos, standIn.find('?'));

  EXPECT_TRUE(platform::ShellOpen((standIn + "\\page.html").c_str(), nullptr, nullptr));
  ASSERT_EQ(WaitForOpenRecords(log, 1).size(), 1u);
  EXPECT_EQ(Lower(platform::FindExecutable((standIn + "\\page.html").c_str(), nullptr)), Lower(OpenRecorderPath()));
  const std::string guide = standIn + "\\guide with blanks.txt";
  EXPECT_TRUE(platform::ShellOpenWith(OpenRecorderPath().c_str(), guide.c_str(), nullptr));
  std::vector<OpenRecord> opened = WaitForOpenRecords(log, 2);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_TRUE(opened[0].wideArguments == L"\"" + (foreign / L"page.html").wstring() + L"\"") << opened[0].arguments;
  EXPECT_TRUE(opened[1].wideArguments == L"\"" + (foreign / L"guide with blanks.txt").wstring() + L"\"")
      << opened[1].arguments;
}

TEST_F(ShellTest, FailedOpensStartNothingAndReportNothing) {
  ASSERT_TRUE(WriteBytes(folder + "/data.unassociated", "x"));
  MessageBoxWatcher boxes;  // answers any box, so a reported failure cannot block the test
  EXPECT_FALSE(platform::ShellOpen((windowsFolder + "\\norda.html").c_str(), nullptr, nullptr));
  EXPECT_FALSE(platform::ShellOpen((windowsFolder + "\\absent.exe").c_str(), nullptr, windowsFolder.c_str()));
  EXPECT_FALSE(platform::ShellOpen((windowsFolder + "\\data.unassociated").c_str(), nullptr, nullptr));
  EXPECT_TRUE(WaitForOpenRecords(log, 1, 1000).empty());
  EXPECT_TRUE(boxes.Seen().empty()) << boxes.Seen().front().text;
}

}  // namespace
