#include "platform/file_move.h"

#include "platform/wide_text.h"
#include "platform/win32.h"

namespace platform {

bool MoveFileOver(const char* source, const char* target) {
  return MoveFileExW(ToWide(source).c_str(), ToWide(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace platform
