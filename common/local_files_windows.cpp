#include "common/local_files.h"

#include <string>

#include "platform/files.h"
#include "platform/temp_folder.h"
#include "platform/wide_text.h"

std::FILE* OpenLocalFile(const char* path, const char* mode) {
  return platform::OpenFile(path, platform::ToWide(mode).c_str());
}

namespace {

// The C library's text mode hands the system a small block at a time: for
// a report of tens of megabytes, tens of thousands of writes. The lines
// are gathered into blocks of about this size instead.
constexpr size_t TEXT_BLOCK_SIZE = 1 << 20;
constexpr std::string_view LINE_END = "\r\n";

bool WriteBlock(std::FILE* file, std::string& block) {
  bool written = std::fwrite(block.data(), 1, block.size(), file) == block.size();
  block.clear();
  return written;
}

}  // namespace

bool WriteLocalText(std::FILE* file, std::string_view text) {
  std::string block;
  block.reserve(TEXT_BLOCK_SIZE + LINE_END.size());
  size_t start = 0;
  while (start < text.size()) {
    size_t newline = text.find('\n', start);
    if (newline == std::string_view::npos) {
      block.append(text.substr(start));
      break;
    }
    block.append(text.substr(start, newline - start)).append(LINE_END);
    start = newline + 1;
    if (block.size() >= TEXT_BLOCK_SIZE && !WriteBlock(file, block)) return false;
  }
  return WriteBlock(file, block);
}

LocalTempFolder FindLocalTempFolder(size_t maxBytes) {
  platform::TempFolder found = platform::FindTempFolder(maxBytes);
  LocalTempFolder folder;
  folder.set = found.set;
  folder.path = found.path;
  folder.shown = found.shown;
  return folder;
}
