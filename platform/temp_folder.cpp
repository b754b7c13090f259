#include "platform/temp_folder.h"

#include <windows.h>

#include "platform/path_text.h"

namespace platform {

namespace {

constexpr wchar_t TEMP_VARIABLE[] = L"TEMP";

// The value of TEMP; empty when it is not set.
std::wstring TempValue() {
  DWORD size = GetEnvironmentVariableW(TEMP_VARIABLE, nullptr, 0);
  if (size == 0) return std::wstring();
  std::wstring value(size, L'\0');
  DWORD length = GetEnvironmentVariableW(TEMP_VARIABLE, &value[0], size);
  if (length == 0 || length >= size) return std::wstring();
  value.resize(length);
  return value;
}

}  // namespace

TempFolder FindTempFolder(size_t maxBytes) {
  TempFolder folder;
  std::wstring value = TempValue();
  folder.set = !value.empty();
  if (!folder.set) return folder;
  folder.path = PathText(value, maxBytes);
  folder.shown = ShownPath(value);
  return folder;
}

}  // namespace platform
