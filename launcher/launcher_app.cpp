#include "launcher/launcher_app.h"

#include "launcher/main_menu_dialog.h"

bool LauncherApp::InitInstance() {
  MainMenuDialog menu;
  m_pMainWnd = &menu;
  menu.DoModal();
  m_pMainWnd = nullptr;
  return false;
}
