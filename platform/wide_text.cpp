#include "platform/wide_text.h"

#include <windows.h>

#include <cstring>

namespace platform {

namespace {
constexpr UINT SHIFT_JIS_CODE_PAGE = 932;
}

std::wstring DecodeText(unsigned codePage, const char* text, size_t length) {
  if (text == nullptr || length == 0) return std::wstring();
  int count = static_cast<int>(length);
  int wideLength = MultiByteToWideChar(codePage, 0, text, count, nullptr, 0);
  if (wideLength <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(codePage, 0, text, count, &wide[0], wideLength);
  return wide;
}

std::string EncodeText(unsigned codePage, const std::wstring& text) {
  if (text.empty()) return std::string();
  int count = static_cast<int>(text.size());
  int length = WideCharToMultiByte(codePage, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), count, &narrow[0], length, nullptr, nullptr);
  return narrow;
}

std::string ToNarrowMarked(const std::wstring& text) {
  if (text.empty()) return std::string();
  int count = static_cast<int>(text.size());
  static const char MISSING_MARK[] = "?";
  int length = WideCharToMultiByte(SHIFT_JIS_CODE_PAGE, WC_NO_BEST_FIT_CHARS, text.data(), count, nullptr, 0,
                                   MISSING_MARK, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(SHIFT_JIS_CODE_PAGE, WC_NO_BEST_FIT_CHARS, text.data(), count, &narrow[0], length,
                      MISSING_MARK, nullptr);
  return narrow;
}

bool ToNarrowExactly(const std::wstring& text, std::string& narrow) {
  // The way back decides: a character Shift-JIS lacks, or one the code page
  // folds into another, does not come back as it was.
  narrow = ToNarrowMarked(text);
  return DecodeText(SHIFT_JIS_CODE_PAGE, narrow.data(), narrow.size()) == text;
}

std::wstring ToWide(const char* text) {
  return text == nullptr ? std::wstring() : DecodeText(SHIFT_JIS_CODE_PAGE, text, std::strlen(text));
}

std::string ToNarrow(const wchar_t* text) {
  return text == nullptr ? std::string() : EncodeText(SHIFT_JIS_CODE_PAGE, text);
}

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(SHIFT_JIS_CODE_PAGE, byte) != FALSE; }

}  // namespace platform
