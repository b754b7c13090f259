#include "platform/shell.h"

#include "platform/wide_text.h"
#include "platform/win32.h"

namespace platform {

namespace {

// nullptr stays nullptr: the shell tells "no parameters" from "".
const wchar_t* OrNull(const std::wstring& text, const char* original) {
  return original == nullptr ? nullptr : text.c_str();
}

}  // namespace

void ShellOpen(const char* file, const char* parameters, const char* folder, WindowHandle owner) {
  std::wstring wideFile = ToWide(file);
  std::wstring wideParameters = ToWide(parameters);
  std::wstring wideFolder = ToWide(folder);
  SHELLEXECUTEINFOW request = {};
  request.cbSize = sizeof(request);
  // A failure is not reported: without this the shell may show its own
  // error box (or an "open with" choice) for a missing file or association.
  request.fMask = SEE_MASK_FLAG_NO_UI;
  request.hwnd = static_cast<HWND>(owner);
  request.lpVerb = L"open";
  request.lpFile = wideFile.c_str();
  request.lpParameters = OrNull(wideParameters, parameters);
  request.lpDirectory = OrNull(wideFolder, folder);
  request.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&request);
}

std::string FindExecutable(const char* file, const char* folder) {
  std::wstring wideFile = ToWide(file);
  std::wstring wideFolder = ToWide(folder);
  wchar_t program[MAX_PATH] = {};
  HINSTANCE result = FindExecutableW(wideFile.c_str(), OrNull(wideFolder, folder), program);
  if (reinterpret_cast<INT_PTR>(result) <= 32) return std::string();
  return ToNarrow(program);
}

}  // namespace platform
