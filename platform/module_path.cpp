#include "platform/module_path.h"

#include <windows.h>

#include <cstring>

#include "platform/wide_text.h"

namespace platform {

namespace {

// Room for long paths, so that a path over the limit is seen whole and
// refused rather than silently cut by the platform.
constexpr DWORD WIDE_PATH_ROOM = 32768;

// The executable's full path as the system gives it; empty when it cannot be had.
std::wstring WideModulePath() {
  std::wstring wide(WIDE_PATH_ROOM, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, &wide[0], WIDE_PATH_ROOM);
  if (length == 0 || length >= WIDE_PATH_ROOM) return std::wstring();
  wide.resize(length);
  return wide;
}

// Where the file name starts in `path`: after its last separator, else 0.
// Cutting the UTF-16 form never splits a double-byte character, whose trail
// byte may be a backslash in Shift-JIS (表).
size_t FileNameStart(const std::wstring& path) {
  size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? 0 : separator + 1;
}

// The executable's folder without a trailing separator; empty when unknown.
std::wstring WideModuleFolder() {
  std::wstring path = WideModulePath();
  size_t nameStart = FileNameStart(path);
  return nameStart == 0 ? std::wstring() : path.substr(0, nameStart - 1);
}

}  // namespace

std::string ModuleFolder() {
  std::wstring folder = WideModuleFolder();
  return folder.empty() ? std::string() : PathText(folder);
}

std::string FileBeside(const char* name) {
  std::wstring folder = WideModuleFolder();
  size_t nameRoom = std::strlen(name) + 1;  // the backslash and the name
  if (folder.empty() || nameRoom > PATH_BYTES_MAX) return std::string();
  std::string folderText = PathText(folder, PATH_BYTES_MAX - nameRoom);
  if (folderText.empty()) return std::string();
  return folderText + "\\" + name;
}

std::string ShownModuleFolder() { return ShownPath(WideModuleFolder()); }

bool EnterModuleFolder() {
  std::wstring folder = WideModuleFolder();
  return !folder.empty() && SetCurrentDirectoryW(folder.c_str()) != FALSE;
}

std::string ModuleTitle() {
  std::wstring wide = WideModulePath();
  std::wstring name = wide.substr(FileNameStart(wide));
  size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return ToNarrow(name.c_str());
}

}  // namespace platform
