// The setup program as a user runs it: a silent install for the current user
// puts the whole install folder and a Start-menu shortcut in place, the
// installed launcher opens its menu from there, and the uninstaller removes
// every trace again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/wide_text.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;
using test_support::GuiProgram;

constexpr int SETUP_WAIT_MS = 120000;
constexpr int CANCEL_BUTTON = 2;
const char LAUNCHER_CAPTION[] = "Tarvex インターネット版";
const wchar_t UNINSTALL_KEY[] = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvex";

const std::vector<std::string> INSTALLED_FILES = {
    "tarvex.exe",  "vindra.exe",    "marlop.exe",   "qorvanet.ini", "version.txt",
    "M_BLOCK.dat", "M_TOFUKEN.dat", "M_CHITEN.dat", "M_KISYU.dat",  "M_A_YEAR.dat",
    "Chiten.csv",  "output.html",   "norda.html",   "doc/Kaisetu.txt"};

std::string Narrow(const fs::path& path) { return platform::ToNarrow(path.c_str()); }

fs::path KnownFolder(const wchar_t* variable) {
  const wchar_t* value = _wgetenv(variable);
  return value == nullptr ? fs::path() : fs::path(value);
}

// Runs a program to its end and returns its exit code, or -1 when it could
// not be started or did not end in time.
long long RunToEnd(const std::string& program, const std::string& arguments, const fs::path& folder) {
  GuiProgram run;
  if (!run.Start(program, Narrow(folder), arguments)) return -1;
  unsigned exitCode = 0;
  if (!run.WaitForExit(SETUP_WAIT_MS, &exitCode)) return -1;
  return exitCode;
}

// The uninstaller runs on from a copy of itself in a "~nsu" folder of the
// temporary folder, which it cannot remove; the ones this test made go.
std::vector<fs::path> UninstallerCopies(const fs::path& temp) {
  std::vector<fs::path> copies;
  std::error_code ignored;
  for (const fs::directory_entry& entry : fs::directory_iterator(temp, ignored)) {
    if (entry.path().filename().wstring().rfind(L"~nsu", 0) == 0) copies.push_back(entry.path());
  }
  return copies;
}

void RemoveNewUninstallerCopies(const fs::path& temp, const std::vector<fs::path>& before) {
  std::error_code ignored;
  for (const fs::path& copy : UninstallerCopies(temp)) {
    if (std::find(before.begin(), before.end(), copy) == before.end()) fs::remove_all(copy, ignored);
  }
}

bool UninstallEntryExists(const fs::path& folder) {
  std::string key = platform::ToNarrow(UNINSTALL_KEY);
  return RunToEnd("C:\\windows\\system32\\reg.exe", "query \"" + key + "\"", folder) == 0;
}

TEST(Setup, InstallsStartsTheLauncherAndUninstallsCleanly) {
  const char* setup = std::getenv("TARVEX_SETUP_EXE");
  const char* layoutText = std::getenv("TARVEX_INSTALL_LAYOUT");
  ASSERT_NE(nullptr, setup) << "run through with_setup_program.sh";
  ASSERT_NE(nullptr, layoutText);
  const fs::path layout = fs::path(test_support::WindowsPath(layoutText));
  const fs::path installed = KnownFolder(L"LOCALAPPDATA") / L"Programs" / L"Tarvex";
  const fs::path shortcuts = KnownFolder(L"APPDATA") / L"Microsoft\\Windows\\Start Menu\\Programs\\Tarvex";
  std::error_code ignored;
  fs::remove_all(installed, ignored);
  fs::remove_all(shortcuts, ignored);
  const fs::path temp = fs::temp_directory_path();

  ASSERT_EQ(0, RunToEnd(setup, "/S", temp));

  for (const std::string& name : INSTALLED_FILES) {
    std::string expected = test_support::ReadBytes(Narrow(layout / name));
    ASSERT_FALSE(expected.empty()) << name;
    EXPECT_EQ(expected, test_support::ReadBytes(Narrow(installed / name))) << name;
  }
  EXPECT_TRUE(fs::exists(installed / L"uninstall.exe"));
  const std::string link = test_support::ReadBytes(Narrow(shortcuts / L"Tarvex.lnk"));
  EXPECT_NE(std::string::npos, link.find("marlop.exe")) << "the shortcut starts the launcher";
  EXPECT_TRUE(UninstallEntryExists(temp));

  // The launcher opens its menu from the installed folder: it finds its
  // settings there, and the version list raises no question.
  {
    GuiProgram launcher;
    ASSERT_TRUE(launcher.Start(Narrow(installed / L"marlop.exe"), Narrow(installed)));
    test_support::WindowHandle menu = launcher.WaitForWindow(LAUNCHER_CAPTION);
    ASSERT_NE(nullptr, menu) << "no launcher menu";
    test_support::ClickButton(menu, CANCEL_BUTTON);
    EXPECT_TRUE(launcher.WaitForExit());
  }

  // What the launcher writes beside itself goes with the uninstall too.
  ASSERT_TRUE(test_support::WriteBytes(Narrow(installed / L"user_inf.txt"), "demo\r\ndQbfun\r\n"));
  // The uninstaller runs on from a copy of itself; wait for its work.
  const std::vector<fs::path> copiesBefore = UninstallerCopies(temp);
  EXPECT_EQ(0, RunToEnd(Narrow(installed / L"uninstall.exe"), "/S", temp));
  EXPECT_TRUE(test_support::WaitUntil([&] { return !fs::exists(installed); }, SETUP_WAIT_MS));
  EXPECT_FALSE(fs::exists(shortcuts));
  EXPECT_FALSE(UninstallEntryExists(temp));
  test_support::WaitUntil([&] { return UninstallerCopies(temp).size() > copiesBefore.size(); }, SETUP_WAIT_MS);
  RemoveNewUninstallerCopies(temp, copiesBefore);
}

}  // namespace
