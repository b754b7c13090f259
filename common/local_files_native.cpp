#include "common/local_files.h"

#include <cstdlib>
#include <cstring>

std::FILE* OpenLocalFile(const char* path, const char* mode) { return std::fopen(path, mode); }

bool WriteLocalText(std::FILE* file, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

LocalTempFolder FindLocalTempFolder(size_t maxBytes) {
  LocalTempFolder folder;
  const char* value = std::getenv("TEMP");
  folder.set = value != nullptr && value[0] != '\0';
  if (!folder.set) return folder;
  folder.shown = value;
  if (std::strlen(value) <= maxBytes) folder.path = value;
  return folder;
}
