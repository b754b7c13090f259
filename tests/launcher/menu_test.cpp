// The real marlop.exe under Wine: the main menu's commands, its system menu
// and the user settings dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "common/credentials_file.h"
#include "launcher/launcher_ids.h"
#include "platform/module_path.h"
#include "platform/wide_text.h"
#include "platform/win32.h"
#include "tests/launcher/launcher_install_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/open_recorder_win.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

using namespace test_support;
using launcher_test::LauncherInstall;

constexpr char SETTINGS_CAPTION[] = "ユーザー設定";
constexpr char NOT_SAVED[] = "ユーザー設定を保存できませんでした。";
constexpr char STORED[] = "demo\r\n";

// String resource `id` of the program at `path`; "" when it has none. Menus
// of another process cannot be read under Wine, so the captions of the
// system-menu items are checked where the program takes them from.
std::string ResourceString(const std::string& path, int id) {
  HMODULE module = LoadLibraryExW(platform::ToWide(path.c_str()).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return "";
  wchar_t text[256] = {};
  int length = LoadStringW(module, id, text, 256);
  FreeLibrary(module);
  return length > 0 ? platform::ToNarrow(text) : "";
}

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegisterOpenRecorder());
    log = install.PathOf("opened.log");
    UseOpenRecorderLog(log);
    ASSERT_TRUE(install.Write("user_inf.txt", std::string(STORED) + CredentialsFile::ScramblePassword("tarvex") + "\r\n"));
    ASSERT_TRUE(install.Start(program));
    menu = program.WaitForWindow(launcher_test::MENU_CAPTION);
    ASSERT_NE(menu, nullptr);
  }

  void TearDown() override {
    if (menu != nullptr && program.IsRunning()) {
      ClickButton(menu, IDCANCEL_BUTTON);
      EXPECT_TRUE(program.WaitForExit());
    }
  }

  WindowHandle OpenUserSettings() {
    ClickButton(menu, IDC_USER_SETTINGS);
    WindowHandle dialog = program.WaitForModalBox();
    EXPECT_NE(dialog, nullptr);
    if (dialog != nullptr) {
      EXPECT_EQ(WindowText(dialog), SETTINGS_CAPTION);
    }
    return dialog;
  }

  // The one record the next launch leaves in the recorder's log.
  OpenRecord NextRecord() {
    size_t count = ReadOpenRecords(log).size() + 1;
    std::vector<OpenRecord> records = WaitForOpenRecords(log, count);
    EXPECT_EQ(records.size(), count);
    return records.empty() ? OpenRecord{} : records.back();
  }

  LauncherInstall install{"launcher-menu", launcher_test::PLAIN_SETTINGS};
  GuiProgram program;
  WindowHandle menu = nullptr;
  std::string log;
};

TEST_F(MenuTest, UserSettingsShowStoredValuesAndOkStoresScrambledWithCrLf) {
  WindowHandle dialog = OpenUserSettings();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ControlText(dialog, IDC_USER_ID), "demo");
  EXPECT_EQ(ControlText(dialog, IDC_PASSWORD), "tarvex");
  LONG style = GetWindowLongW(static_cast<HWND>(Control(dialog, IDC_PASSWORD)), GWL_STYLE);
  EXPECT_NE(style & ES_PASSWORD, 0);

  SetControlText(dialog, IDC_USER_ID, " user 2 ");
  SetControlText(dialog, IDC_PASSWORD, "abc");
  PressButton(dialog, IDOK_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(dialog));
  EXPECT_EQ(install.Read("user_inf.txt"), " user 2 \r\nQRS\r\n");
}

TEST_F(MenuTest, UserSettingsEmptyFieldsStoreTwoEmptyLines) {
  WindowHandle dialog = OpenUserSettings();
  ASSERT_NE(dialog, nullptr);
  SetControlText(dialog, IDC_USER_ID, "");
  SetControlText(dialog, IDC_PASSWORD, "");
  PressButton(dialog, IDOK_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(dialog));
  EXPECT_EQ(install.Read("user_inf.txt"), "\r\n\r\n");
}

TEST_F(MenuTest, UserSettingsCancelLeavesTheFileUntouched) {
  std::string before = install.Read("user_inf.txt");
  WindowHandle dialog = OpenUserSettings();
  ASSERT_NE(dialog, nullptr);
  SetControlText(dialog, IDC_USER_ID, "other");
  SetControlText(dialog, IDC_PASSWORD, "secret");
  PressButton(dialog, IDCANCEL_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(dialog));
  EXPECT_EQ(install.Read("user_inf.txt"), before);
}

TEST_F(MenuTest, OverlongPasswordIsRefusedWithAMessageAndTheDialogStaysOpen) {
  std::string before = install.Read("user_inf.txt");
  WindowHandle dialog = OpenUserSettings();
  ASSERT_NE(dialog, nullptr);
  SetControlText(dialog, IDC_PASSWORD, std::string(1024, 'p'));
  PressButton(dialog, IDOK_BUTTON);
  WindowHandle box = launcher_test::WaitForMessage(program, NOT_SAVED);
  ASSERT_NE(box, nullptr);
  PressButton(box, IDOK_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(box));
  EXPECT_EQ(install.Read("user_inf.txt"), before);
  PressButton(dialog, IDCANCEL_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(dialog));
}

TEST_F(MenuTest, CredentialsFileThatCannotBeCreatedGivesAMessage) {
  // A folder in the file's place: the file cannot be created.
  DeleteFileW(platform::ToWide(install.PathOf("user_inf.txt").c_str()).c_str());
  ASSERT_TRUE(CreateDirectoryW(platform::ToWide(install.PathOf("user_inf.txt").c_str()).c_str(), nullptr));
  WindowHandle dialog = OpenUserSettings();
  ASSERT_NE(dialog, nullptr);
  SetControlText(dialog, IDC_USER_ID, "demo");
  PressButton(dialog, IDOK_BUTTON);
  WindowHandle box = launcher_test::WaitForMessage(program, NOT_SAVED);
  ASSERT_NE(box, nullptr);
  PressButton(box, IDOK_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(box));
  PressButton(dialog, IDCANCEL_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(dialog));
}

TEST_F(MenuTest, ProgramsStartFromTheLauncherFolderWithoutParameters) {
  std::string recorder = ReadBytes(OpenRecorderPath());
  ASSERT_FALSE(recorder.empty());
  ASSERT_TRUE(install.Write("vindra.exe", recorder));
  ASSERT_TRUE(install.Write("soltrum.exe", recorder));

  ClickButton(menu, IDC_WEATHER_DATA);
  OpenRecord weather = NextRecord();
  EXPECT_NE(weather.commandLine.find(install.PathOf("vindra.exe")), std::string::npos) << weather.commandLine;
  EXPECT_EQ(weather.arguments, "");
  EXPECT_EQ(weather.folder, install.Folder());

  PostCommand(menu, IDC_SECOND_PROGRAM);
  OpenRecord second = NextRecord();
  EXPECT_NE(second.commandLine.find(install.PathOf("soltrum.exe")), std::string::npos) << second.commandLine;
  EXPECT_EQ(second.arguments, "");
  EXPECT_EQ(second.folder, install.Folder());
}

TEST_F(MenuTest, DocumentAndPagesOpenThroughTheAssociatedPrograms) {
  ASSERT_TRUE(CreateDirectoryW(platform::ToWide(install.PathOf("doc").c_str()).c_str(), nullptr));
  ASSERT_TRUE(install.Write("doc\\Kaisetu.txt", "commentary\r\n"));

  PostCommand(menu, IDC_COMMENTARY);
  EXPECT_EQ(NextRecord().arguments, "\"" + install.PathOf("doc\\Kaisetu.txt") + "\"");

  ClickButton(menu, IDC_MAKER_HOME_PAGE);
  EXPECT_EQ(NextRecord().arguments, std::string("http://") + TARVEX_MAKER_HOST + "/");

  PostSystemCommand(menu, IDM_USER_PAGE);
  EXPECT_EQ(NextRecord().arguments, "http://" TEST_ADDRESS_LAUNCHER_WEB_SERVER "/user/page.html");
}

TEST_F(MenuTest, SystemMenuItemsOpenAboutForTheirWholeBlock) {
  std::string exe = install.PathOf("marlop.exe");
  EXPECT_EQ(ResourceString(exe, IDS_ABOUT_BOX), "「Tarvex インターネット版」のﾊﾞｰｼﾞｮﾝ情報(&A)...");
  EXPECT_EQ(ResourceString(exe, IDS_MONTHLY_USAGE_ITEM), "今月の検索件数(&U)...");
  EXPECT_EQ(ResourceString(exe, IDS_UPDATE_PROGRAM_ITEM), "更新プログラムのダウンロード(&D)");
  EXPECT_EQ(ResourceString(exe, IDS_USER_PAGE_ITEM), "ユーザーページ(&W)");

  for (unsigned command : {0x10u, 0x1Fu}) {
    PostSystemCommand(menu, command);
    WindowHandle about = program.WaitForModalBox();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), "バージョン情報");
    PressButton(about, IDOK_BUTTON);
    EXPECT_TRUE(WaitForWindowGone(about));
  }
}

TEST_F(MenuTest, QuitEndsTheProgram) {
  ClickButton(menu, IDCANCEL_BUTTON);
  unsigned exitCode = 99;
  EXPECT_TRUE(program.WaitForExit(DEFAULT_WAIT_MS, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  menu = nullptr;
}

// An install folder whose path is longer than the programs' paths may be
// (over 259 bytes of Shift-JIS, well within the platform's own limit): the
// launcher names its files by the folder's short form, so it reads its
// settings and starts and opens the files of its folder, never the same
// names at the root of the drive, where this test puts decoys.
TEST(MenuInAnOverlongFolder, CommandsReachTheFilesOfTheFolder) {
  namespace fs = std::filesystem;
  constexpr int QUIET_MS = 2000;
  std::error_code ignored;
  fs::path folder = fs::temp_directory_path() / L"tarvex-test-launcher-long";
  fs::remove_all(folder, ignored);
  while (platform::ToNarrow(folder.c_str()).size() <= platform::PATH_BYTES_MAX) {
    folder /= std::wstring(30, L'\u3042');  // あ
  }
  ASSERT_TRUE(fs::create_directories(folder / L"doc"));
  const std::string recorder = ReadBytes(OpenRecorderPath());
  fs::copy_file(platform::ToWide(BuildPath("/launcher/marlop.exe").c_str()), folder / L"marlop.exe");
  std::ofstream(folder / L"qorvanet.ini", std::ios::binary) << launcher_test::PLAIN_SETTINGS;
  std::ofstream(folder / L"vindra.exe", std::ios::binary) << recorder;
  std::ofstream(folder / L"doc" / L"Kaisetu.txt", std::ios::binary) << "commentary\r\n";

  ASSERT_TRUE(RegisterOpenRecorder());
  const std::string log = MakeScratchFolder("launcher-long-log") + "\\opened.log";
  UseOpenRecorderLog(log);
  const std::string rootProgram = "C:\\vindra.exe";
  const std::string rootDocument = "C:\\doc\\Kaisetu.txt";
  fs::create_directories("C:\\doc");
  ASSERT_TRUE(WriteBytes(rootProgram, recorder));
  ASSERT_TRUE(WriteBytes(rootDocument, "decoy\r\n"));

  GuiProgram program;
  ASSERT_TRUE(program.Start((folder / L"marlop.exe").wstring(), folder.wstring()));
  WindowHandle menu = program.WaitForWindow(launcher_test::MENU_CAPTION);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(program.WaitForModalBox(QUIET_MS), nullptr);  // the settings were read

  ClickButton(menu, IDC_WEATHER_DATA);
  std::vector<OpenRecord> opened = WaitForOpenRecords(log, 1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(ComparablePath(platform::ToWide(opened[0].folder.c_str())), ComparablePath(folder.wstring()));
  PostCommand(menu, IDC_COMMENTARY);
  opened = WaitForOpenRecords(log, 2);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(ComparablePath(opened[1].wideArguments), ComparablePath((folder / L"doc" / L"Kaisetu.txt").wstring()));
  EXPECT_TRUE(program.IsRunning());
  ClickButton(menu, IDCANCEL_BUTTON);
  EXPECT_TRUE(program.WaitForExit());
  fs::remove(rootProgram, ignored);
  fs::remove_all("C:\\doc", ignored);
  fs::remove_all(fs::temp_directory_path() / L"tarvex-test-launcher-long", ignored);
}

}  // namespace
