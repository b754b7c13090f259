#include "server/http/request_head.h"

#include <strings.h>

#include <charconv>
#include <cstring>

namespace {

constexpr std::string_view BLANKS = " \t";
constexpr char DELETE_BYTE = 0x7F;

std::string_view Trim(std::string_view text) {
  size_t start = text.find_first_not_of(BLANKS);
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(BLANKS) - start + 1);
}

bool SameName(std::string_view name, const char* expected) {
  return name.size() == strlen(expected) && strncasecmp(name.data(), expected, name.size()) == 0;
}

// A character of a token (a method or a field name).
bool IsTokenChar(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c != 0 && strchr("!#$%&'*+-.^_`|~", c) != nullptr);
}

bool IsToken(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsTokenChar(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// Field values and targets may hold visible bytes, bytes over 0x7F, and
// (values only) spaces and tabs; never a control byte such as NUL or CR.
bool IsFieldValue(std::string_view text) {
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if ((byte < ' ' && c != '\t') || c == DELETE_BYTE) return false;
  }
  return true;
}

bool IsTarget(std::string_view text) {
  return !text.empty() && text[0] == '/' && IsFieldValue(text) && text.find_first_of(BLANKS) == std::string_view::npos;
}

// Takes the next line of `text` (without its CR LF or LF).
std::string_view NextLine(std::string_view& text) {
  size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// "METHOD SP TARGET SP HTTP/1.x", one space between the three.
bool ParseRequestLine(std::string_view line, RequestHead& parsed) {
  size_t first = line.find(' ');
  size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (second == std::string_view::npos) return false;
  std::string_view method = line.substr(0, first);
  std::string_view target = line.substr(first + 1, second - first - 1);
  std::string_view version = line.substr(second + 1);
  if (!IsToken(method) || !IsTarget(target)) return false;
  if (version != "HTTP/1.1" && version != "HTTP/1.0") return false;
  parsed.method = method;
  parsed.target = target;
  parsed.http11 = version == "HTTP/1.1";
  return true;
}

bool ReadLength(std::string_view value, size_t& length) {
  if (value.empty() || value.find_first_not_of("0123456789") != std::string_view::npos) return false;
  auto result = std::from_chars(value.data(), value.data() + value.size(), length);
  return result.ec == std::errc() && result.ptr == value.data() + value.size();
}

// The Connection header's options, comma-separated.
void ReadConnectionOptions(std::string_view value, bool& closeAsked, bool& keepAliveAsked) {
  while (!value.empty()) {
    size_t comma = value.find(',');
    std::string_view option = Trim(value.substr(0, comma));
    closeAsked = closeAsked || SameName(option, "close");
    keepAliveAsked = keepAliveAsked || SameName(option, "keep-alive");
    value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
  }
}

// What the head's fields say, gathered across its lines.
struct FieldState {
  bool chunked = false;
  int hosts = 0;
  bool closeAsked = false;      // "Connection: close"
  bool keepAliveAsked = false;  // "Connection: keep-alive", which keeps an HTTP/1.0 connection
};

HeadProblem ReadField(std::string_view line, RequestHead& parsed, FieldState& state) {
  size_t colon = line.find(':');
  if (colon == std::string_view::npos) return HeadProblem::Malformed;
  std::string_view name = line.substr(0, colon);
  std::string_view raw = line.substr(colon + 1);
  if (!IsToken(name) || !IsFieldValue(raw)) return HeadProblem::Malformed;
  std::string_view value = Trim(raw);
  if (SameName(name, "Content-Length")) {
    size_t length = 0;
    if (!ReadLength(value, length)) return HeadProblem::Malformed;
    if (parsed.hasBody && length != parsed.contentLength) return HeadProblem::AmbiguousLength;
    parsed.hasBody = true;
    parsed.contentLength = length;
  } else if (SameName(name, "Transfer-Encoding")) {
    state.chunked = true;
  } else if (SameName(name, "Host")) {
    ++state.hosts;
  } else if (SameName(name, "Connection")) {
    ReadConnectionOptions(value, state.closeAsked, state.keepAliveAsked);
  } else if (SameName(name, "Expect")) {
    parsed.expectsContinue = parsed.http11 && SameName(value, "100-continue");
  } else if (SameName(name, "X-Real-IP")) {
    parsed.realIp = value;
  } else if (SameName(name, "X-Forwarded-For")) {
    size_t comma = value.rfind(',');
    parsed.forwardedFor = Trim(comma == std::string_view::npos ? value : value.substr(comma + 1));
  }
  return HeadProblem::None;
}

}  // namespace

HeadProblem ParseRequestHead(std::string_view head, RequestHead& parsed) {
  parsed = RequestHead{};
  if (!ParseRequestLine(NextLine(head), parsed)) return HeadProblem::Malformed;
  FieldState state;
  while (!head.empty()) {
    std::string_view line = NextLine(head);
    if (line.empty()) break;  // the blank line that ends the head
    HeadProblem problem = ReadField(line, parsed, state);
    if (problem != HeadProblem::None) return problem;
  }
  parsed.keepAlive = !state.closeAsked && (parsed.http11 || state.keepAliveAsked);
  if (state.hosts > 1 || (parsed.http11 && state.hosts == 0)) return HeadProblem::Malformed;
  if (state.chunked) return parsed.hasBody ? HeadProblem::AmbiguousLength : HeadProblem::LengthRequired;
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

size_t LeadingEmptyLineBytes(std::string_view received) {
  size_t at = 0;
  for (;;) {
    if (at < received.size() && received[at] == '\n') {
      at += 1;
    } else if (at + 1 < received.size() && received[at] == '\r' && received[at + 1] == '\n') {
      at += 2;
    } else {
      return at;
    }
  }
}
