#include "viewer/form/viewer_app.h"

#include "common/install_folder.h"
#include "platform/message_box.h"
#include "platform/module_path.h"
#include "viewer/form/query_form_dialog.h"

namespace {

ViewerApp theApp;

}  // namespace

ViewerApp::ViewerApp() : platform::CWinApp(VIEWER_CAPTION) {}

bool ViewerApp::InitInstance() {
  bool entered = platform::EnterModuleFolder();
  if (!entered || !InstallFolderUsable()) {
    platform::ShowMessage(nullptr, InstallFolderUnusableMessage().c_str(), VIEWER_CAPTION);
  }
  QueryFormDialog form;
  m_pMainWnd = &form;
  form.DoModal();
  m_pMainWnd = nullptr;
  return false;
}

int main() { return platform::RunApplication(); }
