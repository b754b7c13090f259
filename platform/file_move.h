// Replacing one file by another in a single step, so that readers see either
// the old file or the new one whole, never a mixture or no file at all.
#pragma once

namespace platform {

// Moves the file at `source` to `target`, replacing a file already at
// `target`. Both are Shift-JIS full paths, best in the same folder. Returns
// false when the move failed; `target` is then as it was.
bool MoveFileOver(const char* source, const char* target);

}  // namespace platform
