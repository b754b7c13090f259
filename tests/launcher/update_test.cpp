// The version check and self-update of the real marlop.exe under Wine,
// against a web server on loopback.
#include <gtest/gtest.h>

#include "platform/wide_text.h"
#include "platform/win32.h"
#include "tests/launcher/launcher_install_win.h"
#include "tests/launcher/web_root.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/test_addresses.h"

namespace {

using namespace test_support;
using launcher_test::BinaryBytes;
using launcher_test::LauncherInstall;
using launcher_test::PublishFile;
using launcher_test::UPDATE_DONE;
using launcher_test::UPDATE_FAILED;
using launcher_test::UPDATE_QUESTION;
using launcher_test::WaitForMessage;

constexpr char OLD_CONTENT[] = "old file\r\n";
// The menu is open and no box came within this time: nothing was asked.
constexpr int NO_BOX_MS = 1500;

std::string Settings(const std::string& systemVer) {
  return "[system]\r\nServerIP=" TEST_ADDRESS_LAUNCHER_LEDGER "\r\nDLIniFile=version.txt\r\n"
         "DLSrvPath=http://" + launcher_test::WebServerAddress() + "/update/\r\nUserURL=\r\n"
         "[Version]\r\nSystemVer=" + systemVer + "\r\nInstalledBy=setup\r\n";
}

std::string Address(const std::string& path) { return "http://" + launcher_test::WebServerAddress() + "/" + path; }

class UpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(launcher_test::WebRoot().empty()) << "run under with_web_server.sh";
    CreateDirectoryW(platform::ToWide((launcher_test::WebRoot() + "\\update").c_str()).c_str(), nullptr);
    for (const char* name : {"two_blocks.bin", "large.bin", "version.txt"}) {
      DeleteFileW(platform::ToWide((launcher_test::WebRoot() + "\\update\\" + name).c_str()).c_str());
    }
    ASSERT_TRUE(install.Write("two_blocks.bin", OLD_CONTENT));
    ASSERT_TRUE(install.Write("large.bin", OLD_CONTENT));
  }

  void TearDown() override {
    if (program.IsRunning()) program.Terminate();
  }

  // Publishes a list of version 4 naming a file of exactly two blocks and
  // one over a mebibyte, with an empty line between them.
  void PublishNewVersion(const std::string& secondAddress) {
    ASSERT_TRUE(PublishFile("update\\two_blocks.bin", twoBlocks));
    ASSERT_TRUE(PublishFile("update\\large.bin", large));
    ASSERT_TRUE(PublishFile("update\\version.txt",
                            "4\r\n" + Address("update/two_blocks.bin") + "\r\n\r\n" + secondAddress + "\r\n"));
  }

  void Start() {
    requestsBefore = launcher_test::RequestLog().size();
    ASSERT_TRUE(install.Start(program));
  }

  // The requests the web server received since Start.
  std::string NewRequests() const { return launcher_test::RequestLog().substr(requestsBefore); }

  // Answers the update question with `button`.
  void Answer(int button) {
    WindowHandle box = WaitForMessage(program, UPDATE_QUESTION);
    ASSERT_NE(box, nullptr);
    PressButton(box, button);
  }

  // Confirms the closing message `text`; the menu then opens.
  void ExpectOutcome(const std::string& text) {
    WindowHandle box = WaitForMessage(program, text);
    ASSERT_NE(box, nullptr) << text;
    PressButton(box, IDOK_BUTTON);
    ExpectMenuWithoutBox();
  }

  void ExpectMenuWithoutBox() {
    WindowHandle menu = program.WaitForWindow(launcher_test::MENU_CAPTION);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(program.WaitForModalBox(NO_BOX_MS), nullptr);
    ClickButton(menu, IDCANCEL_BUTTON);
    EXPECT_TRUE(program.WaitForExit());
  }

  void ExpectVersionUntouched() { EXPECT_EQ(install.Read("qorvanet.ini"), Settings("3")); }

  LauncherInstall install{"launcher-update", Settings("3")};
  GuiProgram program;
  std::string twoBlocks = BinaryBytes(2048);
  std::string large = BinaryBytes(1048576 + 4321);
  size_t requestsBefore = 0;
};

TEST_F(UpdateTest, NewerListAnsweredYesFetchesEveryFileAndRaisesTheVersion) {
  PublishNewVersion(Address("update/large.bin"));
  Start();
  Answer(IDYES_BUTTON);
  ExpectOutcome(UPDATE_DONE);
  EXPECT_TRUE(install.Read("two_blocks.bin") == twoBlocks);
  EXPECT_TRUE(install.Read("large.bin") == large);
  std::string settings = install.Read("qorvanet.ini");
  EXPECT_NE(settings.find("SystemVer=4"), std::string::npos) << settings;
  EXPECT_EQ(settings.find("InstalledBy"), std::string::npos) << settings;
  EXPECT_NE(settings.find("DLIniFile=version.txt"), std::string::npos) << settings;
}

TEST_F(UpdateTest, AnsweredNoChangesNothing) {
  PublishNewVersion(Address("update/large.bin"));
  Start();
  Answer(IDNO_BUTTON);
  ExpectMenuWithoutBox();
  EXPECT_EQ(install.Read("two_blocks.bin"), OLD_CONTENT);
  EXPECT_EQ(install.Read("large.bin"), OLD_CONTENT);
  ExpectVersionUntouched();
  EXPECT_EQ(NewRequests(), "/update/version.txt marlop\n");
}

TEST_F(UpdateTest, MissingFileOnTheServerFailsAndKeepsTheOldFileAndVersion) {
  PublishNewVersion(Address("update/not_there.bin"));
  ASSERT_TRUE(install.Write("not_there.bin", OLD_CONTENT));
  Start();
  Answer(IDYES_BUTTON);
  ExpectOutcome(UPDATE_FAILED);
  EXPECT_EQ(install.Read("not_there.bin"), OLD_CONTENT);
  ExpectVersionUntouched();
}

TEST_F(UpdateTest, UnreachableHostFailsWithAMessageAndKeepsTheOldFileAndVersion) {
  PublishNewVersion("http://" TEST_ADDRESS_LAUNCHER_UNREACHABLE "/update/large.bin");
  Start();
  Answer(IDYES_BUTTON);
  ExpectOutcome(UPDATE_FAILED);
  EXPECT_EQ(install.Read("large.bin"), OLD_CONTENT);
  ExpectVersionUntouched();
}

TEST_F(UpdateTest, AListChangedOnTheServerBetweenTwoStartsIsSeenByTheSecond) {
  launcher_test::DropFromLocalCache(Address("update/version.txt"));
  ASSERT_TRUE(PublishFile("update\\version.txt", "3\r\n"));
  Start();
  ExpectMenuWithoutBox();
  EXPECT_EQ(install.Read("version.txt"), "3\r\n");

  PublishNewVersion(Address("update/large.bin"));
  Start();
  Answer(IDNO_BUTTON);
  ExpectMenuWithoutBox();
  EXPECT_EQ(NewRequests(), "/update/version.txt marlop\n");
  EXPECT_FALSE(launcher_test::InLocalCache(Address("update/version.txt")));
}

TEST_F(UpdateTest, FailedListFetchChecksAgainstTheCopyAlreadyThere) {
  std::string localList = "5\r\n";
  ASSERT_TRUE(install.Write("version.txt", localList));
  Start();
  Answer(IDYES_BUTTON);
  ExpectOutcome(UPDATE_DONE);
  EXPECT_EQ(install.Read("version.txt"), localList);
  EXPECT_NE(install.Read("qorvanet.ini").find("SystemVer=5"), std::string::npos);
}

TEST_F(UpdateTest, NoListAnywhereOpensTheMenuWithoutAMessage) {
  Start();
  ExpectMenuWithoutBox();
  ExpectVersionUntouched();
}

TEST_F(UpdateTest, ListOfTheInstalledVersionAsksNothing) {
  ASSERT_TRUE(PublishFile("update\\version.txt", "3 current\r\n" + Address("update/large.bin") + "\r\n"));
  Start();
  ExpectMenuWithoutBox();
  EXPECT_EQ(install.Read("version.txt"), "3 current\r\n" + Address("update/large.bin") + "\r\n");
  EXPECT_EQ(install.Read("large.bin"), OLD_CONTENT);
}

}  // namespace
