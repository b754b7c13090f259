#include "platform/files.h"

#include "platform/path_text.h"
#include "platform/win32.h"

namespace platform {

std::FILE* OpenFile(const char* path, const wchar_t* mode) { return _wfopen(SystemPath(path).c_str(), mode); }

bool RemoveFile(const char* path) { return DeleteFileW(SystemPath(path).c_str()) != 0; }

bool MoveFileOver(const char* source, const char* target) {
  return MoveFileExW(SystemPath(source).c_str(), SystemPath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace platform
