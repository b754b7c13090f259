// Files named by path texts (path_text.h). The paths go to the system as
// UTF-16, so a folder of any name opens on any system locale.
#pragma once

#include <cstdio>

namespace platform {

// Opens the file at `path` as fopen does with `mode` (L"rb", L"wb", ...).
// Returns nullptr when it cannot be opened; the caller closes the file.
std::FILE* OpenFile(const char* path, const wchar_t* mode);

// Removes the file at `path`; returns false when nothing was removed.
bool RemoveFile(const char* path);

// Moves the file at `source` to `target`, replacing a file already at
// `target`, in one step: readers see either the old file or the new one
// whole. Both are full paths, best in the same folder. Returns false when the
// move failed; `target` is then as it was.
bool MoveFileOver(const char* source, const char* target);

}  // namespace platform
