#include "platform/module_path.h"

#include <windows.h>

#include "platform/wide_text.h"

namespace platform {

namespace {
// Room for long paths, so that a path over the limit is seen whole and
// refused rather than silently cut by the platform.
constexpr DWORD WIDE_PATH_ROOM = 32768;
}  // namespace

std::string ModulePath() {
  std::wstring wide(WIDE_PATH_ROOM, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, &wide[0], WIDE_PATH_ROOM);
  if (length == 0 || length >= WIDE_PATH_ROOM) return std::string();
  wide.resize(length);
  std::string path = ToNarrow(wide.c_str());
  if (path.size() > PATH_BYTES_MAX) return std::string();
  return path;
}

std::string ModuleFolder() {
  std::string path = ModulePath();
  // Scan by characters: a trail byte of a double-byte character may be 0x5C.
  size_t lastSeparator = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (path[i] == '\\' || path[i] == '/') lastSeparator = i;
  }
  if (lastSeparator == std::string::npos) return std::string();
  return path.substr(0, lastSeparator);
}

}  // namespace platform
