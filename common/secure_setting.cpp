#include "common/secure_setting.h"

#include <iterator>

namespace {

constexpr const char* PLAIN_VALUES[] = {"", "0", "no", "false", "off"};
constexpr char HTTPS_SCHEME[] = "https://";

// ASCII letters lowered; every other byte (Shift-JIS ones among them) kept.
std::string Lowered(const std::string& text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

}  // namespace

bool SecureSettingOn(const std::string& value) {
  std::string lowered = Lowered(value);
  for (const char* plain : PLAIN_VALUES) {
    if (lowered == plain) return false;
  }
  return true;
}

bool IsHttpsAddress(const std::string& address) {
  constexpr size_t SCHEME_LENGTH = std::size(HTTPS_SCHEME) - 1;
  return Lowered(address.substr(0, SCHEME_LENGTH)) == HTTPS_SCHEME;
}
