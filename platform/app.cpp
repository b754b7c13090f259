#include "platform/app.h"

#include <vector>

#include "platform/wide_text.h"
#include "platform/win32.h"

namespace platform {

namespace {

CWinApp* theApp = nullptr;

// The file name of the running executable, without folder and extension.
std::string ProgramName() {
  std::vector<wchar_t> path(MAX_PATH, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  while (length == path.size()) {
    path.resize(path.size() * 2);
    length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  }
  std::wstring name(path.data(), length);
  size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return ToNarrow(name.c_str());
}

HINSTANCE Program() { return GetModuleHandleW(nullptr); }

}  // namespace

CWinApp::CWinApp() { theApp = this; }

CWinApp::~CWinApp() {
  if (theApp == this) theApp = nullptr;
}

int RunApplication() {
  if (theApp == nullptr) return 1;
  theApp->InitInstance();
  return 0;
}

CWinApp* AfxGetApp() { return theApp; }

const char* AfxGetAppName() {
  static const std::string name = ProgramName();
  return name.c_str();
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

BitmapHandle LoadBitmap(int id) { return LoadBitmapW(Program(), MAKEINTRESOURCEW(id)); }

}  // namespace platform
