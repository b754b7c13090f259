#include "launcher/launcher_app.h"

#include "common/settings_file.h"
#include "launcher/launcher_texts.h"
#include "launcher/main_menu_dialog.h"
#include "platform/message_box.h"

LauncherApp::LauncherApp() : platform::CWinApp(LAUNCHER_CAPTION) {}

bool LauncherApp::InitInstance() {
  if (!SettingsFile::FolderUsable()) {
    platform::ShowMessage(nullptr, SettingsFile::FolderUnusableMessage().c_str(), LAUNCHER_CAPTION);
  }
  MainMenuDialog menu;
  m_pMainWnd = &menu;
  menu.DoModal();
  m_pMainWnd = nullptr;
  return false;
}
