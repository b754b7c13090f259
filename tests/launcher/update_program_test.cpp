// The update program download of the real marlop.exe: the program fetched
// from the maker's web host (loopback in the test build) to the root of
// drive C.
#include <gtest/gtest.h>

#include "launcher/launcher_ids.h"
#include "platform/internet.h"
#include "platform/wide_text.h"
#include "platform/win32.h"
#include "tests/launcher/launcher_install_win.h"
#include "tests/launcher/web_root.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/test_files.h"

namespace {

using namespace test_support;
using launcher_test::WaitForMessage;

constexpr char FETCHED[] = "成功しました";
constexpr char NOT_FETCHED[] = "失敗しました";
constexpr char TARGET[] = "c:\\marlopup.exe";
constexpr char PUBLISHED[] = "pg\\qorvanet\\marlopup.exe";
constexpr char OLD_CONTENT[] = "update program of last time";

class UpdateProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(launcher_test::WebRoot().empty()) << "run under with_web_server.sh";
    std::string root = launcher_test::WebRoot();
    CreateDirectoryW(platform::ToWide((root + "\\pg").c_str()).c_str(), nullptr);
    CreateDirectoryW(platform::ToWide((root + "\\pg\\qorvanet").c_str()).c_str(), nullptr);
    DeleteFileW(platform::ToWide((root + "\\" + PUBLISHED).c_str()).c_str());
    ASSERT_TRUE(WriteBytes(TARGET, OLD_CONTENT));
    ASSERT_TRUE(install.Start(program));
    menu = program.WaitForWindow(launcher_test::MENU_CAPTION);
    ASSERT_NE(menu, nullptr);
  }

  void TearDown() override {
    DeleteFileW(platform::ToWide(TARGET).c_str());
    if (menu == nullptr) return;
    ClickButton(menu, IDCANCEL_BUTTON);
    EXPECT_TRUE(program.WaitForExit());
  }

  // Runs the update program download from the system menu and confirms its message, which
  // must be `text` under the application's name; the menu stays.
  void RunCommand(const char* text) {
    PostSystemCommand(menu, IDM_UPDATE_PROGRAM);
    WindowHandle box = WaitForMessage(program, text);
    ASSERT_NE(box, nullptr) << text;
    EXPECT_EQ(WindowText(box), "marlop");
    PressButton(box, IDOK_BUTTON);
    EXPECT_TRUE(WaitForWindowGone(box));
    EXPECT_TRUE(program.IsRunning());
  }

  launcher_test::LauncherInstall install{"launcher-update-program", launcher_test::PLAIN_SETTINGS};
  GuiProgram program;
  WindowHandle menu = nullptr;
};

TEST_F(UpdateProgramTest, FetchesTheUpdateProgramToTheRootOfDriveC) {
  std::string program = launcher_test::BinaryBytes(70000);
  ASSERT_TRUE(launcher_test::PublishFile(PUBLISHED, program));
  RunCommand(FETCHED);
  EXPECT_TRUE(ReadBytes(TARGET) == program);
}

TEST_F(UpdateProgramTest, MissingProgramFailsAndKeepsTheOldFile) {
  RunCommand(NOT_FETCHED);
  EXPECT_EQ(ReadBytes(TARGET), OLD_CONTENT);
}

// Last: it stops the web server.
TEST_F(UpdateProgramTest, UnreachableHostFailsWithoutEndingTheProgram) {
  platform::CInternetSession session("launcher-test");
  auto quit = session.OpenURL("http://127.0.0.1/quit");
  ASSERT_NE(dynamic_cast<platform::CHttpFile*>(quit.get()), nullptr);
  EXPECT_EQ(dynamic_cast<platform::CHttpFile&>(*quit).QueryInfoStatusCode(), 200u);
  EXPECT_TRUE(WaitUntil([&] {
    try {
      session.OpenURL("http://127.0.0.1/probe");
      return false;
    } catch (const platform::CInternetException&) {
      return true;
    }
  }));
  RunCommand(NOT_FETCHED);
  EXPECT_EQ(ReadBytes(TARGET), OLD_CONTENT);
}

}  // namespace
