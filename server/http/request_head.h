// The head of one HTTP/1.x request (request line and header lines) as the
// server needs it, parsed strictly: anything that could make two readers of
// the same bytes disagree about where the body ends is refused.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct RequestHead {
  std::string method;
  std::string target;
  bool hasBody = false;          // a Content-Length header was given
  size_t contentLength = 0;
  bool expectsContinue = false;  // "Expect: 100-continue"
  std::string realIp;            // X-Real-IP, as a proxy in front sets it
  std::string forwardedFor;      // the last address of X-Forwarded-For
};

// Why a head is refused; each maps to one HTTP status.
enum class HeadProblem {
  None,
  Malformed,          // 400: no request line, a header without ":", a bad length, ...
  AmbiguousLength,    // 400: Content-Length given with different values, or with Transfer-Encoding
  LengthRequired,     // 411: a body sent without Content-Length (Transfer-Encoding)
};

// Parses `head`, the bytes up to the blank line that ends it (lines ended
// by CR LF or LF; what follows a blank line is not read). Returns HeadProblem::None and fills `parsed`, or the
// problem (`parsed` then holds what was read so far).
HeadProblem ParseRequestHead(std::string_view head, RequestHead& parsed);

// Where the head of `received` ends: the offset just past its blank line,
// or 0 while it has not arrived whole. `searched` is how many bytes earlier
// calls have looked at, so bytes that arrive piece by piece are searched
// about once.
size_t FindHeadEnd(std::string_view received, size_t searched);
