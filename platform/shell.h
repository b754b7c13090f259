// The shell's "open" of documents and programs, and the program it
// associates with a file. Files, programs and folders are path texts
// (path_text.h) or addresses.
#pragma once

#include <string>

#include "platform/handles.h"

namespace platform {

// Asks the shell to "open" `file` (a document, a program or an address),
// shown normally. `parameters` and `folder` (the started program's working
// folder) may be nullptr; `owner` is the window that owns any message of
// the shell (nullptr: none). The shell shows no message of its own: a
// missing file, program or association opens nothing, and the answer is
// false; true when the shell started what opens it.
bool ShellOpen(const char* file, const char* parameters, const char* folder, WindowHandle owner = nullptr);

// Asks the shell to "open" `program` with the file `document` as its one
// parameter, quoted so that blanks in its path stay part of it, shown
// normally, owned by `owner`; the answer as ShellOpen gives it.
bool ShellOpenWith(const char* program, const char* document, WindowHandle owner);

// Returns the program the shell associates with the existing file `file`
// (looked up relative to `folder` when that is not nullptr) as a path text,
// or "" when the file or an association is missing.
std::string FindExecutable(const char* file, const char* folder);

}  // namespace platform
