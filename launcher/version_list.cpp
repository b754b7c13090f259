#include "launcher/version_list.h"

#include <climits>
#include <cstring>

#include "common/blank_text.h"
#include "common/shift_jis.h"

namespace {

bool IsForbiddenInFileName(unsigned char c) {
  return c < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr;
}

// Splits at line feeds, dropping one carriage return before each; a last line
// without a line feed is still a line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.push_back(text.substr(start, stop - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

VersionList ParseVersionList(const std::string& text) {
  VersionList list;
  std::vector<std::string> lines = SplitLines(text);
  if (lines.empty()) return list;
  list.version = VersionNumber(lines[0]);
  for (size_t i = 1; i < lines.size(); ++i) {
    if (!lines[i].empty()) list.addresses.push_back(lines[i]);
  }
  return list;
}

int VersionNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) return static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

std::string DownloadFileName(const std::string& address) {
  size_t slash = address.rfind('/');
  std::string name = slash == std::string::npos ? address : address.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return std::string();
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsShiftJisLeadByte(c) && i + 1 < name.size()) {
      ++i;
    } else if (IsForbiddenInFileName(c)) {
      return std::string();
    }
  }
  return name;
}
