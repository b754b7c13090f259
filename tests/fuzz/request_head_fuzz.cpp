// The request head parser on any bytes: it never crashes, the end of a head
// found piece by piece (as bytes arrive) is the end found in one search, and
// a head it accepts holds what the front relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "server/http/request_head.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses how the rest arrives: in pieces of 1 to 256 bytes.
  size_t pieceSize = static_cast<size_t>(data[0]) + 1;
  std::string_view received(reinterpret_cast<const char*>(data) + 1, size - 1);

  size_t whole = FindHeadEnd(received, 0);
  size_t searched = 0, pieceByPiece = 0;
  for (size_t arrived = 0; arrived < received.size() && pieceByPiece == 0;) {
    arrived = std::min(received.size(), arrived + pieceSize);
    pieceByPiece = FindHeadEnd(received.substr(0, arrived), searched);
    searched = arrived;
  }
  if (whole != pieceByPiece) abort();
  if (whole > received.size()) abort();

  size_t empty = LeadingEmptyLineBytes(received);
  if (empty > received.size()) abort();

  RequestHead head;
  if (ParseRequestHead(received.substr(0, whole == 0 ? received.size() : whole), head) == HeadProblem::None) {
    if (head.target.empty() || head.target[0] != '/') abort();
    if (head.method.empty()) abort();
    if (head.realIp.find('\0') != std::string::npos) abort();
  }
  return 0;
}
