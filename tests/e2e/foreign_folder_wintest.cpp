// Both programs installed in a folder whose name Shift-JIS cannot hold
// ("José Ñúñez"), with TEMP such a folder too, under the system code page
// the wrapper chose (run_foreign_folder.sh, tools/env/with_code_page.sh). The
// launcher reads its settings, fetches an update, saves the account and, at
// its next start, sees the version list changed on the server; the viewer,
// started from the launcher's 気象データ button, signs in at ServerIP,
// takes its observations from DataServer, writes both reports into TEMP and
// hands them to the shell, and each use is recorded at ServerIP.
//
// Environment (set by run_foreign_folder.sh): TARVEX_INSTALL_DIR and
// TARVEX_TEMP_DIR (Linux paths), TARVEX_LEDGER_ADDRESS, TARVEX_DATA_ADDRESS,
// TARVEX_WEB_ROOT, TARVEX_WEB_ADDRESS and TARVEX_CODE_PAGE.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "common/credentials_file.h"
#include "common/server_link.h"
#include "common/server_statements.h"
#include "launcher/launcher_ids.h"
#include "platform/wide_text.h"
#include "platform/win32.h"
#include "resources/viewer/resource.h"
#include "tests/e2e/road_steps_win.h"
#include "tests/launcher/web_root.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/open_recorder_win.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;
using namespace test_support;

constexpr int START_WAIT_MS = 60000;
constexpr int NO_BOX_MS = 1000;
constexpr char MENU_CAPTION[] = "Tarvex インターネット版";
constexpr char FORM_CAPTION[] = "Tarvex";
constexpr char QUESTION[] = "バージョンが新しくなっています。更新しますか";
constexpr char UPDATED[] = "バージョンアップに成功しました。";
constexpr char DEMO_CLIENT[] = "10001";
// The data server's own observation (run_foreign_folder.sh): 11001 稚内,
// precipitation on 1999/01/01, the day the form starts with.
constexpr char DATA_SERVER_VALUE[] = "4321";

// An environment variable whole, as UTF-16: the C library's narrow form
// loses what the code page lacks.
std::wstring Variable(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::wstring();
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, &value[0], size));
  return value;
}

std::string NarrowVariable(const wchar_t* name) { return platform::ToNarrow(Variable(name).c_str()); }

// "Z:\..." for an absolute Linux path (the prefix's drive Z: is the root).
std::wstring WindowsFolder(const std::wstring& linuxPath) {
  std::wstring path = L"Z:" + linuxPath;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Write(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// This month's observation rows of the demo client in the ledger of
// `server`; -1 when it cannot be asked.
long LedgerTotal(const std::string& server) {
  ServerLink link(LAUNCHER_ROW_TERMINATOR);
  link.server = server;
  std::string reply;
  int rows = 0;
  if (!link.Execute(MonthlyUsageStatement(DEMO_CLIENT, ""), reply, rows) || rows != 1) return -1;
  return std::stol(reply);
}

// Waits for a modal box of `program` showing `text` and presses `button`.
void Answer(const GuiProgram& program, const std::string& text, int button) {
  WindowHandle box = program.WaitForModalBox(START_WAIT_MS);
  ASSERT_NE(nullptr, box) << text;
  ASSERT_EQ(text, MessageBoxText(box));
  PressButton(box, button);
  ASSERT_TRUE(WaitForWindowGone(box));
}

class ForeignFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Variable(L"TARVEX_INSTALL_DIR").empty()) << "run under run_foreign_folder.sh";
    ASSERT_EQ(std::to_wstring(GetACP()), Variable(L"TARVEX_CODE_PAGE"));
    install = WindowsFolder(Variable(L"TARVEX_INSTALL_DIR"));
    temp = WindowsFolder(Variable(L"TARVEX_TEMP_DIR"));
    ASSERT_TRUE(fs::is_directory(install));
    ASSERT_TRUE(fs::is_directory(temp));
    ASSERT_TRUE(Write(install / L"qorvanet.ini",
                      "[system]\r\nServerIP=" + ledger + "\r\nDataServer=" + data +
                          "\r\nDLIniFile=version.txt\r\nDLSrvPath=http://" + launcher_test::WebServerAddress() +
                          "/update/\r\nUserURL=\r\n[Version]\r\nSystemVer=1\r\n"));
    ASSERT_TRUE(fs::create_directories(fs::path(launcher_test::WebRoot()) / "update"));
    ASSERT_TRUE(RegisterOpenRecorder());
    openedLog = MakeScratchFolder("foreign-folder-log") + "\\opened.log";
    UseOpenRecorderLog(openedLog);
    // The programs started from here inherit TEMP.
    ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", temp.c_str()));
  }

  void TearDown() override {
    if (viewer.IsRunning()) viewer.Terminate();
    if (launcher.IsRunning()) launcher.Terminate();
  }

  // Publishes version `version` of the list, naming one file `name`.
  void PublishVersion(int version, const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(launcher_test::PublishFile("update\\" + name, bytes));
    ASSERT_TRUE(launcher_test::PublishFile("update\\version.txt", std::to_string(version) + "\r\n" + Address(name) +
                                                                      "\r\n"));
  }

  std::string Address(const std::string& name) const {
    return "http://" + launcher_test::WebServerAddress() + "/update/" + name;
  }

  // Starts the launcher as its shortcut does, answers the update question
  // with Yes and confirms the success; returns the menu.
  WindowHandle StartLauncherAndUpdate() {
    EXPECT_TRUE(launcher.Start(install / L"marlop.exe", install));
    Answer(launcher, QUESTION, IDYES_BUTTON);
    Answer(launcher, UPDATED, IDOK_BUTTON);
    return launcher.WaitForWindow(MENU_CAPTION, START_WAIT_MS);
  }

  // Runs `command` in the viewer's form and checks that the shell was handed
  // `reportName` of TEMP as the `count`th file; returns the report's bytes.
  std::string Report(WindowHandle form, int command, size_t count, const wchar_t* reportName) {
    PostCommand(form, command);
    std::vector<OpenRecord> opened = WaitForOpenRecords(openedLog, count, START_WAIT_MS);
    WindowHandle box = viewer.WaitForModalBox(0);
    EXPECT_EQ(nullptr, box) << "the viewer said: " << (box ? MessageBoxText(box) : "");
    if (opened.size() < count) return std::string();
    EXPECT_EQ(ComparablePath((temp / reportName).wstring()), ComparablePath(opened[count - 1].wideArguments));
    return Read(temp / reportName);
  }

  fs::path install;
  fs::path temp;
  std::string ledger = NarrowVariable(L"TARVEX_LEDGER_ADDRESS");
  std::string data = NarrowVariable(L"TARVEX_DATA_ADDRESS");
  std::string openedLog;
  GuiProgram launcher;
  GuiProgram viewer;
};

TEST_F(ForeignFolder, BothProgramsKeepTheirFilesThereAndTheViewerUsesBothServers) {
  // The launcher reads its settings, fetches the listed file and records
  // the new version beside itself; the account is saved there too.
  const std::string first = launcher_test::BinaryBytes(3000);
  PublishVersion(2, "first.bin", first);
  WindowHandle menu = StartLauncherAndUpdate();
  ASSERT_NE(nullptr, menu);
  EXPECT_TRUE(Read(install / L"first.bin") == first);
  EXPECT_NE(std::string::npos, Read(install / L"qorvanet.ini").find("SystemVer=2"));
  e2e::StoreDemoAccount(launcher, menu);
  EXPECT_EQ("demo\r\n" + CredentialsFile::ScramblePassword("tarvex") + "\r\n", Read(install / L"user_inf.txt"));
  ClickButton(menu, IDCANCEL_BUTTON);
  ASSERT_TRUE(launcher.WaitForExit());

  // The list changes on the server: the next start sees it, not a copy.
  const std::string second = launcher_test::BinaryBytes(5000);
  PublishVersion(3, "second.bin", second);
  menu = StartLauncherAndUpdate();
  ASSERT_NE(nullptr, menu);
  EXPECT_TRUE(Read(install / L"second.bin") == second);
  EXPECT_NE(std::string::npos, Read(install / L"qorvanet.ini").find("SystemVer=3"));
  EXPECT_FALSE(launcher_test::InLocalCache(Address("version.txt")));

  // The viewer from the launcher: sign-in and ledger at ServerIP, the
  // observations from DataServer, the reports in TEMP.
  const long recorded = LedgerTotal(ledger);
  ASSERT_GE(recorded, 0);
  ClickButton(menu, IDC_WEATHER_DATA);
  ASSERT_TRUE(viewer.AttachToWindow(FORM_CAPTION, START_WAIT_MS)) << "the viewer did not start";
  WindowHandle form = viewer.WaitForWindow(FORM_CAPTION);
  ASSERT_TRUE(WaitUntil([&] { return !ListTexts(form, IDC_STATION_LIST).empty(); }));
  SetListSelection(form, IDC_STATION_LIST, 0, true);
  ClickButton(form, IDC_CHOOSE);
  ASSERT_TRUE(WaitUntil([&] { return ListTexts(form, IDC_CHOSEN_LIST) == std::vector<std::string>{"11001 稚内"}; }));
  SetCheck(form, IDC_PRECIPITATION, true);

  std::string page = Report(form, IDC_DISPLAY, 1, L"temp.html");
  EXPECT_NE(std::string::npos, page.find(std::string(">") + DATA_SERVER_VALUE + "<")) << page;
  EXPECT_TRUE(WaitUntil([&] { return LedgerTotal(ledger) == recorded + 1; }));
  std::string table = Report(form, IDC_SPREADSHEET, 2, L"temp.csv");
  EXPECT_NE(std::string::npos, table.find(std::string("1999/01/01,") + DATA_SERVER_VALUE + "\r\n")) << table;
  EXPECT_TRUE(WaitUntil([&] { return LedgerTotal(ledger) == recorded + 2; }));
  EXPECT_EQ(0, LedgerTotal(data));  // the data server records nothing
  EXPECT_EQ(nullptr, viewer.WaitForModalBox(NO_BOX_MS));

  ClickButton(form, IDC_QUIT);
  EXPECT_TRUE(viewer.WaitForExit());
  ClickButton(menu, IDCANCEL_BUTTON);
  EXPECT_TRUE(launcher.WaitForExit());
}

}  // namespace
