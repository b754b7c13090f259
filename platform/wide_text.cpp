#include "platform/wide_text.h"

#include <windows.h>

namespace platform {

namespace {
constexpr UINT SHIFT_JIS_CODE_PAGE = 932;
}

std::wstring ToWide(const char* text) {
  if (text == nullptr || *text == '\0') return std::wstring();
  int length = MultiByteToWideChar(SHIFT_JIS_CODE_PAGE, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(SHIFT_JIS_CODE_PAGE, 0, text, -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length) - 1);
  return wide;
}

std::string ToNarrow(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return std::string();
  int length = WideCharToMultiByte(SHIFT_JIS_CODE_PAGE, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(SHIFT_JIS_CODE_PAGE, 0, text, -1, &narrow[0], length, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(length) - 1);
  return narrow;
}

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(SHIFT_JIS_CODE_PAGE, byte) != FALSE; }

}  // namespace platform
