// The shell's "open" of documents and programs, and the program it
// associates with a file.
#pragma once

#include <string>

namespace platform {

using WindowHandle = void*;  // an HWND, kept opaque above the platform layer

// Asks the shell to "open" `file` (a document, a program or an address),
// shown normally. `parameters` and `folder` (the started program's working
// folder) may be nullptr; `owner` is the window that owns any message of
// the shell (nullptr: none). The outcome is not reported, by us or by the
// shell: a missing file, program or association simply opens nothing.
void ShellOpen(const char* file, const char* parameters, const char* folder, WindowHandle owner = nullptr);

// Returns the full path of the program the shell associates with the
// existing file `file` (looked up relative to `folder` when that is not
// nullptr), or "" when the file or an association is missing.
std::string FindExecutable(const char* file, const char* folder);

}  // namespace platform
