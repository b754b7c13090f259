// Feeds arbitrary reply bodies to the reply reader, once whole and once in
// pieces whose sizes come from the input's first byte, and stops on any
// difference between the two readings or on a memory fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/reply_reader.h"

namespace {

struct Reading {
  std::string result;
  int rowCount;
  bool failed;
};

Reading ReadInPieces(const char* body, std::size_t length, std::size_t pieceSize) {
  Reading reading{"before,\n", 0, false};
  ReplyReader reader(",\n", reading.result);
  for (std::size_t at = 0; at < length; at += pieceSize) {
    std::size_t rest = length - at;
    reader.Feed(body + at, rest < pieceSize ? rest : pieceSize);
  }
  reader.Finish();
  reading.rowCount = reader.RowCount();
  reading.failed = reader.Failed();
  return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t pieceSize = 1 + data[0] % 16;
  const char* body = reinterpret_cast<const char*>(data + 1);
  const std::size_t length = size - 1;

  Reading whole = ReadInPieces(body, length, length + 1);
  Reading pieces = ReadInPieces(body, length, pieceSize);
  if (whole.result != pieces.result || whole.rowCount != pieces.rowCount || whole.failed != pieces.failed) {
    std::abort();
  }
  if (whole.result.compare(0, 8, "before,\n") != 0) std::abort();
  if (whole.result.find('\r') != std::string::npos) std::abort();
  return 0;
}
