#include "server/text/text_encoding.h"

#include <iconv.h>

#include <cerrno>

namespace {

constexpr const char* CP932 = "CP932";
constexpr const char* UTF8 = "UTF-8";
constexpr char REPLACEMENT = '?';

// Length of the UTF-8 sequence that starts with `lead`, at least 1.
size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Ready()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Ready() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as possible; stops at the first unconvertible or
  // incomplete sequence. Returns false there, with `in`/`inLeft` at it.
  bool Convert(char*& in, size_t& inLeft, std::string& out) {
    char buffer[4096];
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      size_t result = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, outPtr - buffer);
      if (result == static_cast<size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
  }

 private:
  iconv_t cd_;
};

// Both encodings keep the bytes below 0x80 as they are (CP932 maps 0x5C and
// 0x7E to the backslash and the tilde), so plain ASCII needs no conversion.
bool IsAscii(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

bool Cp932ToUtf8(const std::string& cp932, std::string& utf8) {
  if (IsAscii(cp932)) {
    utf8 = cp932;
    return true;
  }
  utf8.clear();
  Converter converter(UTF8, CP932);
  if (!converter.Ready()) return false;
  std::string input = cp932;
  char* in = input.data();
  size_t inLeft = input.size();
  if (!converter.Convert(in, inLeft, utf8)) {
    utf8.clear();
    return false;
  }
  return true;
}

std::string Utf8ToCp932(const std::string& utf8) {
  if (IsAscii(utf8)) return utf8;
  std::string cp932;
  Converter converter(CP932, UTF8);
  if (!converter.Ready()) return cp932;
  std::string input = utf8;
  char* in = input.data();
  size_t inLeft = input.size();
  while (!converter.Convert(in, inLeft, cp932)) {
    size_t skip = Utf8SequenceLength(static_cast<unsigned char>(*in));
    if (skip > inLeft) skip = inLeft;
    in += skip;
    inLeft -= skip;
    cp932 += REPLACEMENT;
  }
  return cp932;
}
