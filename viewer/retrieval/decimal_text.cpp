#include "viewer/retrieval/decimal_text.h"

#include "common/blank_text.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips blanks and reads the sign; returns the position of the first digit.
size_t SkipToDigits(const char* text, size_t length, bool& negative) {
  size_t at = 0;
  while (at < length && IsBlank(text[at])) ++at;
  negative = false;
  if (at < length && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  return at;
}

}  // namespace

int16_t ReadDecimal16(const char* text, size_t length) {
  bool negative = false;
  size_t at = SkipToDigits(text, length, negative);
  // Unsigned arithmetic wraps modulo 2^16, which keeps exactly the low bits.
  uint16_t value = 0;
  for (; at < length && IsDigit(text[at]); ++at) {
    value = static_cast<uint16_t>(value * 10u + static_cast<unsigned>(text[at] - '0'));
  }
  if (negative) value = static_cast<uint16_t>(0u - value);
  return static_cast<int16_t>(value);
}
