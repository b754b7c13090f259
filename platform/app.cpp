#include "platform/app.h"

#include "platform/module_path.h"
#include "platform/wide_text.h"
#include "platform/win32.h"

#include <commctrl.h>

namespace platform {

namespace {

CWinApp* theApp = nullptr;

HINSTANCE Program() { return GetModuleHandleW(nullptr); }

}  // namespace

CWinApp::CWinApp(const char* title) : title(title) { theApp = this; }

CWinApp::~CWinApp() {
  if (theApp == this) theApp = nullptr;
}

int RunApplication() {
  if (theApp == nullptr) return 1;
  // The progress bars of the dialog templates are common controls, whose
  // window classes exist only once registered.
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  theApp->InitInstance();
  return 0;
}

CWinApp* AfxGetApp() { return theApp; }

const char* AfxGetAppName() {
  static const std::string name = ModuleTitle();
  return name.c_str();
}

const char* AfxGetAppTitle() {
  return theApp != nullptr && theApp->Title() != nullptr ? theApp->Title() : AfxGetAppName();
}

std::string LoadString(int id) {
  // With a zero buffer size LoadStringW hands out a pointer to the resource's
  // own text, which is not zero-terminated.
  const wchar_t* text = nullptr;
  int length = LoadStringW(Program(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::string();
  std::wstring copy(text, static_cast<size_t>(length));
  return ToNarrow(copy.c_str());
}

IconHandle LoadIcon(int id) { return LoadIconW(Program(), MAKEINTRESOURCEW(id)); }

}  // namespace platform
