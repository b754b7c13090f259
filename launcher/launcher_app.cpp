#include "launcher/launcher_app.h"

#include "common/install_folder.h"
#include "launcher/launcher_texts.h"
#include "launcher/main_menu_dialog.h"
#include "platform/message_box.h"

LauncherApp::LauncherApp() : platform::CWinApp(LAUNCHER_CAPTION) {}

bool LauncherApp::InitInstance() {
  if (!InstallFolderUsable()) {
    platform::ShowMessage(nullptr, InstallFolderUnusableMessage().c_str(), LAUNCHER_CAPTION);
  }
  MainMenuDialog menu;
  m_pMainWnd = &menu;
  menu.DoModal();
  m_pMainWnd = nullptr;
  return false;
}
