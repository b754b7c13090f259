#include "viewer/form/viewer_app.h"

#include "viewer/form/query_form_dialog.h"

namespace {

ViewerApp theApp;

}  // namespace

bool ViewerApp::InitInstance() {
  QueryFormDialog form;
  m_pMainWnd = &form;
  form.DoModal();
  m_pMainWnd = nullptr;
  return false;
}

int main() { return platform::RunApplication(); }
