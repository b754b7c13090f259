// A scratch installation of the launcher for the tests that drive the real
// marlop.exe under Wine: the program copied from the build into a folder of
// its own with a settings file, and helpers to start it and read its files.
#pragma once

#include <string>

#include "tests/support/gui_driver_win.h"
#include "tests/support/test_addresses.h"

namespace launcher_test {

// Caption of the main menu.
constexpr char MENU_CAPTION[] = "Tarvex インターネット版";

// The update's messages, as the user reads them.
constexpr char UPDATE_QUESTION[] = "バージョンが新しくなっています。更新しますか";
constexpr char UPDATE_DONE[] = "バージョンアップに成功しました。";
constexpr char UPDATE_FAILED[] = "バージョンアップに失敗しました。";

// A settings file without a version list: the menu opens without a check.
constexpr char PLAIN_SETTINGS[] =
    "[system]\r\nServerIP=" TEST_ADDRESS_LAUNCHER_LEDGER "\r\nDLIniFile=\r\nDLSrvPath=\r\nUserURL=http://" TEST_ADDRESS_LAUNCHER_WEB_SERVER "/user/page.html\r\n"
    "[Version]\r\nSystemVer=1\r\n";

class LauncherInstall {
 public:
  // Creates the folder `name` under the temporary folder with marlop.exe,
  // "qorvanet.ini" holding `settings`, and the viewer's "output.html".
  LauncherInstall(const std::string& name, const std::string& settings);

  // Windows path of the folder, without a trailing backslash.
  const std::string& Folder() const { return folder; }
  std::string PathOf(const std::string& name) const { return folder + "\\" + name; }

  bool Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;

  // Starts marlop.exe of the folder, in the folder.
  bool Start(test_support::GuiProgram& program) const;

 private:
  std::string folder;
};

// Waits for a modal box of `program` showing `text`; returns it, or nullptr
// when none showed that text in time.
test_support::WindowHandle WaitForMessage(const test_support::GuiProgram& program, const std::string& text,
                                          int timeoutMs = test_support::DEFAULT_WAIT_MS);

}  // namespace launcher_test
