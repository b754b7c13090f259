// The running executable's own path, from which both programs find the
// files of their install folder. Paths are path texts (path_text.h):
// Shift-JIS, whatever the folder is called.
#pragma once

#include <string>

#include "platform/path_text.h"

namespace platform {

// The folder of the executable as a path text, without a trailing backslash
// ("C:\Tarvex"); empty when none can name it (see ShownModuleFolder).
std::string ModuleFolder();

// `name` (a file name, or a path below the folder such as "doc\Kaisetu.txt")
// in the executable's folder, a path text of at most PATH_BYTES_MAX bytes;
// empty when the folder cannot be named in the room the name leaves.
std::string FileBeside(const char* name);

// The executable's folder as a message names it (ShownPath), also when
// ModuleFolder has no text for it; empty when the system gives no path.
std::string ShownModuleFolder();

// Makes the executable's folder the current folder of the process, so that
// files named without a folder are found there, whatever its name; false
// when the system refuses (the folder stays as it was).
bool EnterModuleFolder();

// The executable's file name without folder and extension ("tarvex"), of a
// path of any length; empty when the path cannot be had.
std::string ModuleTitle();

}  // namespace platform
