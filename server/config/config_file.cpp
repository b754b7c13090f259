#include "server/config/config_file.h"

#include <fstream>

namespace {

constexpr const char* BLANKS = " \t\r";

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(BLANKS);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(BLANKS) - first + 1);
}

bool IsKey(const std::string& key) {
  return !key.empty() && key[0] >= 'a' && key[0] <= 'z' && key.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-") == std::string::npos;
}

}  // namespace

bool ReadConfigFile(const std::string& path, std::vector<ConfigEntry>& entries, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = path + ": cannot be read";
    return false;
  }
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    std::string line = Trim(text);
    if (line.empty() || line[0] == '#') continue;
    size_t equals = line.find('=');
    std::string where = path + ":" + std::to_string(number) + ": ";
    if (equals == std::string::npos) {
      error = where + "not a \"key = value\" line";
      return false;
    }
    ConfigEntry entry{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), number};
    if (!IsKey(entry.key)) {
      error = where + "\"" + entry.key + "\" is not a key (a lower-case letter, then letters, digits and \"-\")";
      return false;
    }
    if (entry.value.empty()) {
      error = where + entry.key + " has no value";
      return false;
    }
    entries.push_back(std::move(entry));
  }
  return true;
}
