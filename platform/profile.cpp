#include "platform/profile.h"

#include <windows.h>

#include "platform/path_text.h"
#include "platform/wide_text.h"

namespace platform {

namespace {

// The profile functions decode a file without byte-order mark in the
// system's ANSI code page and encode it back the same way. Converting file
// texts (sections, keys, values) through that code page keeps their bytes,
// which are Shift-JIS, whatever the system's locale; on a Japanese system
// this is the Shift-JIS conversion itself.
std::wstring FileTextToWide(const std::string& text) { return DecodeText(CP_ACP, text.data(), text.size()); }

std::string WideToFileText(const std::wstring& wide) { return EncodeText(CP_ACP, wide); }

// Length of the longest prefix of `text` that fits in `limit` bytes without
// splitting a double-byte character.
size_t WholeCharactersWithin(const std::string& text, size_t limit) {
  size_t length = 0;
  while (length < text.size()) {
    size_t step = IsLeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1;
    if (length + step > limit) break;
    length += step;
  }
  return length < text.size() ? length : text.size();
}

}  // namespace

std::string ReadProfileString(const char* path, const char* section, const char* key,
                              const char* defaultValue, size_t bufferSize) {
  if (bufferSize == 0) return std::string();
  // Every character takes at least one byte, so bufferSize wide characters
  // always cover bufferSize-1 bytes.
  std::wstring value(bufferSize, L'\0');
  DWORD length = GetPrivateProfileStringW(FileTextToWide(section).c_str(), FileTextToWide(key).c_str(),
                                          FileTextToWide(defaultValue).c_str(), &value[0],
                                          static_cast<DWORD>(bufferSize), SystemPath(path).c_str());
  value.resize(length);
  std::string text = WideToFileText(value);
  text.resize(WholeCharactersWithin(text, bufferSize - 1));
  return text;
}

bool ReplaceProfileSection(const char* path, const char* section,
                           const std::vector<std::string>& lines) {
  // The section's lines go as one block: each line zero-terminated, and one
  // more zero at the end.
  std::wstring block;
  for (const std::string& line : lines) {
    block += FileTextToWide(line);
    block += L'\0';
  }
  block += L'\0';
  return WritePrivateProfileSectionW(FileTextToWide(section).c_str(), block.c_str(),
                                     SystemPath(path).c_str()) != FALSE;
}

}  // namespace platform
