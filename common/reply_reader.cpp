#include "common/reply_reader.h"

namespace {
constexpr char ERROR_MARK[] = "ERROR:";
constexpr char STATEMENT_END[] = ";";
}  // namespace

ReplyReader::ReplyReader(const std::string& rowTerminator, std::string& result)
    : rowTerminator(rowTerminator), result(result) {}

void ReplyReader::Feed(const char* bytes, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    char c = bytes[i];
    if (c == '\n') {
      TakeLine();
    } else if (c != '\r') {
      line += c;
    }
  }
}

// Carriage returns are dropped from the body as a whole, so a body ending in
// line feed and carriage return has no last line after the line feed.
void ReplyReader::Finish() {
  if (!line.empty()) TakeLine();
}

void ReplyReader::TakeLine() {
  if (line.find(ERROR_MARK) != std::string::npos && !failed) {
    failed = true;
    errorLine = line;
  }
  if (pastFirstLine && line != STATEMENT_END) {
    result += line;
    result += rowTerminator;
    ++rowCount;
  }
  pastFirstLine = true;
  line.clear();
}
