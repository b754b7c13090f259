#include "server/tools/import_text.h"

#include <strings.h>

#include <fstream>
#include <sstream>

#include "server/text/text_encoding.h"

namespace {

constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

// True when `text` is well-formed UTF-8.
bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                    : lead >= 0xF0 && lead < 0xF5  ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

bool ParseEncoding(const std::string& name, TextEncoding& encoding) {
  if (strcasecmp(name.c_str(), "utf-8") == 0) {
    encoding = TextEncoding::Utf8;
  } else if (strcasecmp(name.c_str(), "shift-jis") == 0) {
    encoding = TextEncoding::ShiftJis;
  } else {
    return false;
  }
  return true;
}

bool ReadImportText(const std::string& path, TextEncoding encoding, std::string& text, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  if (!file) {
    error = "cannot read " + path;
    return false;
  }
  std::string raw = bytes.str();
  if (encoding == TextEncoding::ShiftJis) {
    if (Cp932ToUtf8(raw, text)) return true;
    error = path + " is not Shift-JIS text";
    return false;
  }
  if (raw.compare(0, UTF8_MARK.size(), UTF8_MARK) == 0) raw.erase(0, UTF8_MARK.size());
  if (!IsUtf8(raw)) {
    error = path + " is not UTF-8 text (say --encoding shift-jis for a Shift-JIS file)";
    return false;
  }
  text = std::move(raw);
  return true;
}

std::vector<std::string_view> TextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

bool SplitFields(std::string_view line, std::vector<std::string>& fields) {
  fields.clear();
  size_t pos = 0;
  for (;;) {
    std::string field;
    std::string_view rest = line.substr(pos);
    size_t lead = rest.find_first_not_of(" \t");
    if (lead != std::string_view::npos && rest[lead] == '"') {
      size_t i = pos + lead + 1;
      for (;; ++i) {
        if (i >= line.size()) return false;
        if (line[i] != '"') {
          field += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          break;
        }
      }
      size_t comma = line.find(',', i + 1);
      if (!Trim(line.substr(i + 1, comma == std::string_view::npos ? std::string_view::npos : comma - i - 1)).empty()) {
        return false;
      }
      fields.push_back(field);
      if (comma == std::string_view::npos) return true;
      pos = comma + 1;
    } else {
      size_t comma = line.find(',', pos);
      fields.emplace_back(Trim(line.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos)));
      if (comma == std::string_view::npos) return true;
      pos = comma + 1;
    }
  }
}
