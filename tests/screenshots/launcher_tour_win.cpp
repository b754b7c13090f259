// The launcher's part of the review tour: the user settings dialog filled
// with the demo account over the menu, then the menu once it is stored.
#include "launcher/launcher_ids.h"
#include "tests/screenshots/review_tour_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/test_files.h"

namespace review {

namespace {

using namespace test_support;

constexpr int START_WAIT_MS = 60000;
constexpr const char* MENU_CAPTION = "Tarvex インターネット版";
constexpr const char* SETTINGS_CAPTION = "ユーザー設定";
constexpr int MENU_EXIT = 2;  // 終了
constexpr const char* DEMO_USER_ID = "demo";
constexpr const char* DEMO_PASSWORD = "tarvex";
constexpr const char* CREDENTIALS_FILE = "/user_inf.txt";

bool StoreDemoAccount(const ReviewFolders& folders, const GuiProgram& launcher, WindowHandle menu) {
  ClickButton(menu, IDC_USER_SETTINGS);
  WindowHandle settings = launcher.WaitForModalBox();
  if (settings == nullptr || WindowText(settings) != SETTINGS_CAPTION) {
    return Fail("the user settings dialog did not open");
  }
  SetControlText(settings, IDC_USER_ID, DEMO_USER_ID);
  SetControlText(settings, IDC_PASSWORD, DEMO_PASSWORD);
  if (!Shoot(folders, "user-settings", menu, settings)) return false;
  ClickButton(settings, IDOK_BUTTON);
  if (!launcher.WaitForNoModalBox()) return Fail("the user settings dialog did not close on OK");
  if (!FileExists(WindowsPath(folders.install + CREDENTIALS_FILE))) {
    return Fail("the user settings dialog stored no credentials file");
  }
  return true;
}

}  // namespace

bool TourLauncher(const ReviewFolders& folders) {
  GuiProgram launcher;
  if (!launcher.Start(folders.install + "/marlop.exe", folders.install)) return Fail("marlop.exe did not start");
  WindowHandle menu = launcher.WaitForWindow(MENU_CAPTION, START_WAIT_MS);
  if (menu == nullptr) return Fail("the launcher menu did not open");
  if (!StoreDemoAccount(folders, launcher, menu)) return false;
  if (!Shoot(folders, "launcher-menu", menu)) return false;
  ClickButton(menu, MENU_EXIT);
  if (!launcher.WaitForExit()) return Fail("the launcher did not end on its exit button");
  return true;
}

}  // namespace review
