#include "platform/shell.h"

#include "platform/path_text.h"
#include "platform/wide_text.h"
#include "platform/win32.h"

namespace platform {

namespace {

// nullptr stays nullptr: the shell tells "no parameters" from "".
const wchar_t* OrNull(const std::wstring& text, const char* original) {
  return original == nullptr ? nullptr : text.c_str();
}

bool Open(const std::wstring& file, const wchar_t* parameters, const wchar_t* folder, WindowHandle owner) {
  SHELLEXECUTEINFOW request = {};
  request.cbSize = sizeof(request);
  // Without this the shell may show its own error box (or an "open with"
  // choice) for a missing file or association.
  request.fMask = SEE_MASK_FLAG_NO_UI;
  request.hwnd = static_cast<HWND>(owner);
  request.lpVerb = L"open";
  request.lpFile = file.c_str();
  request.lpParameters = parameters;
  request.lpDirectory = folder;
  request.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&request) != FALSE;
}

}  // namespace

bool ShellOpen(const char* file, const char* parameters, const char* folder, WindowHandle owner) {
  std::wstring wideParameters = ToWide(parameters);
  std::wstring wideFolder = SystemPath(folder);
  return Open(SystemPath(file), OrNull(wideParameters, parameters), OrNull(wideFolder, folder), owner);
}

bool ShellOpenWith(const char* program, const char* document, WindowHandle owner) {
  std::wstring quoted = L"\"" + SystemPath(document) + L"\"";
  return Open(SystemPath(program), quoted.c_str(), nullptr, owner);
}

std::string FindExecutable(const char* file, const char* folder) {
  std::wstring wideFile = SystemPath(file);
  std::wstring wideFolder = SystemPath(folder);
  wchar_t program[MAX_PATH] = {};
  HINSTANCE result = FindExecutableW(wideFile.c_str(), OrNull(wideFolder, folder), program);
  if (reinterpret_cast<INT_PTR>(result) <= 32) return std::string();
  return PathText(program);
}

}  // namespace platform
