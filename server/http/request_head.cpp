#include "server/http/request_head.h"

#include <strings.h>

#include <charconv>
#include <cstring>

namespace {

constexpr std::string_view BLANKS = " \t";

std::string_view Trim(std::string_view text) {
  size_t start = text.find_first_not_of(BLANKS);
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(BLANKS) - start + 1);
}

bool SameName(std::string_view name, const char* expected) {
  return name.size() == strlen(expected) && strncasecmp(name.data(), expected, name.size()) == 0;
}

// Takes the next line of `text` (without its CR LF or LF).
std::string_view NextLine(std::string_view& text) {
  size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// "METHOD SP TARGET SP HTTP/1.x"
bool ParseRequestLine(std::string_view line, RequestHead& parsed) {
  size_t first = line.find(' ');
  size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (first == 0 || second == std::string_view::npos || second == first + 1) return false;
  std::string_view version = line.substr(second + 1);
  if (version != "HTTP/1.1" && version != "HTTP/1.0") return false;
  parsed.method = line.substr(0, first);
  parsed.target = line.substr(first + 1, second - first - 1);
  return true;
}

bool ReadLength(std::string_view value, size_t& length) {
  if (value.empty() || value.find_first_not_of("0123456789") != std::string_view::npos) return false;
  auto result = std::from_chars(value.data(), value.data() + value.size(), length);
  return result.ec == std::errc() && result.ptr == value.data() + value.size();
}

}  // namespace

HeadProblem ParseRequestHead(std::string_view head, RequestHead& parsed) {
  parsed = RequestHead{};
  if (!ParseRequestLine(NextLine(head), parsed)) return HeadProblem::Malformed;
  bool chunked = false;
  while (!head.empty()) {
    std::string_view line = NextLine(head);
    if (line.empty()) break;  // the blank line that ends the head
    size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0 || line[0] == ' ' || line[0] == '\t') {
      return HeadProblem::Malformed;
    }
    std::string_view name = line.substr(0, colon);
    std::string_view value = Trim(line.substr(colon + 1));
    if (SameName(name, "Content-Length")) {
      size_t length = 0;
      if (!ReadLength(value, length)) return HeadProblem::Malformed;
      if (parsed.hasBody && length != parsed.contentLength) return HeadProblem::AmbiguousLength;
      parsed.hasBody = true;
      parsed.contentLength = length;
    } else if (SameName(name, "Transfer-Encoding")) {
      chunked = true;
    } else if (SameName(name, "Expect")) {
      parsed.expectsContinue = SameName(value, "100-continue");
    } else if (SameName(name, "X-Real-IP")) {
      parsed.realIp = value;
    } else if (SameName(name, "X-Forwarded-For")) {
      size_t comma = value.rfind(',');
      parsed.forwardedFor = Trim(comma == std::string_view::npos ? value : value.substr(comma + 1));
    }
  }
  if (chunked) return parsed.hasBody ? HeadProblem::AmbiguousLength : HeadProblem::LengthRequired;
  return HeadProblem::None;
}

size_t FindHeadEnd(std::string_view received, size_t searched) {
  // A blank line ends the head: LF, optionally preceded by CR, right after a
  // LF; its first bytes may lie in what was searched before.
  constexpr size_t LONGEST_END = 3;
  for (size_t i = searched > LONGEST_END ? searched - LONGEST_END : 0; i < received.size(); ++i) {
    if (received[i] != '\n' || i == 0) continue;
    if (received[i - 1] == '\n') return i + 1;
    if (received[i - 1] == '\r' && i >= 2 && received[i - 2] == '\n') return i + 1;
  }
  return 0;
}
