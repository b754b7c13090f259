#include "common/local_files.h"

#include "platform/files.h"
#include "platform/temp_folder.h"
#include "platform/wide_text.h"

std::FILE* OpenLocalFile(const char* path, const char* mode) {
  return platform::OpenFile(path, platform::ToWide(mode).c_str());
}

LocalTempFolder FindLocalTempFolder(size_t maxBytes) {
  platform::TempFolder found = platform::FindTempFolder(maxBytes);
  LocalTempFolder folder;
  folder.set = found.set;
  folder.path = found.path;
  folder.shown = found.shown;
  return folder;
}
