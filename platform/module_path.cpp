#include "platform/module_path.h"

#include <windows.h>

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

}  // namespace

std::string ModulePath() {
  std::string path = ToNarrow(WideModulePath().c_str());
  if (path.size() > PATH_BYTES_MAX) return std::string();
  return path;
}

std::string ModuleFolder() {
  std::wstring wide = WideModulePath();
  if (ToNarrow(wide.c_str()).size() > PATH_BYTES_MAX) return std::string();
  size_t nameStart = FileNameStart(wide);
  if (nameStart == 0) return std::string();
  return ToNarrow(wide.substr(0, nameStart - 1).c_str());
}

std::string FileBeside(const char* name) {
  std::string folder = ModuleFolder();
  if (folder.empty()) return std::string();
  std::string path = folder + "\\" + name;
  if (path.size() > PATH_BYTES_MAX) return std::string();
  return path;
}

std::string ModuleTitle() {
  std::wstring wide = WideModulePath();
  std::wstring name = wide.substr(FileNameStart(wide));
  size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return ToNarrow(name.c_str());
}

}  // namespace platform
