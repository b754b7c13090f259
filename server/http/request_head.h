// The head of one HTTP/1.x request (request line and header lines) as the
// server needs it, parsed strictly: anything that could make two readers of
// the same bytes disagree about where the request ends, or what it says, is
// refused.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct RequestHead {
  std::string method;
  std::string target;            // origin form: begins with "/"
  bool http11 = false;           // HTTP/1.1 (else HTTP/1.0)
  bool hasBody = false;          // a Content-Length header was given
  size_t contentLength = 0;
  bool expectsContinue = false;  // "Expect: 100-continue" on HTTP/1.1
  bool keepAlive = false;        // the client lets the connection serve another request
  std::string realIp;            // X-Real-IP, as a proxy in front sets it
  std::string forwardedFor;      // the last address of X-Forwarded-For
};

// Why a head is refused; each maps to one HTTP status.
enum class HeadProblem {
  None,
  Malformed,          // 400: a bad request line or target, a header without ":", white space before
                      // the colon, a control byte in a name or value, no or two Host headers, a bad length
  AmbiguousLength,    // 400: Content-Length given with different values, or with Transfer-Encoding
  LengthRequired,     // 411: a body sent without Content-Length (Transfer-Encoding)
};

// Parses `head`, the bytes up to and including the blank line that ends it
// (lines ended by CR LF or LF; a CR anywhere else is refused). Returns
// HeadProblem::None and fills `parsed`, or the problem (`parsed` then holds
// what was read so far).
HeadProblem ParseRequestHead(std::string_view head, RequestHead& parsed);

// Where the head of `received` ends: the offset just past its blank line,
// or 0 while it has not arrived whole. `searched` is how many bytes earlier
// calls have looked at, so bytes that arrive piece by piece are searched
// about once; the result is the same as one search of the whole.
size_t FindHeadEnd(std::string_view received, size_t searched);

// The length of the empty lines (CR LF or LF) at the start of `received`:
// some clients send one after a request's body, and the next request on the
// connection begins after them. A CR not yet followed by its LF is not
// counted.
size_t LeadingEmptyLineBytes(std::string_view received);
