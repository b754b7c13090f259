// The running executable's own path, from which both programs find the
// files of their install folder. Texts are Shift-JIS.
#pragma once

#include <string>

namespace platform {

// Longest path the programs handle, in bytes, without the terminating zero.
constexpr size_t PATH_BYTES_MAX = 259;

// The executable's full path; empty when it cannot be had or does not fit in
// PATH_BYTES_MAX bytes (a cut path would name another file).
std::string ModulePath();

// The folder of the executable, without a trailing backslash ("C:\Tarvex");
// empty when ModulePath is.
std::string ModuleFolder();

// `name` (a file name, or a path below the folder such as "doc\Kaisetu.txt")
// in the executable's folder; empty when that folder is unknown or the path
// would be longer than PATH_BYTES_MAX bytes.
std::string FileBeside(const char* name);

// The executable's file name without folder and extension ("tarvex"), of a
// path of any length; empty when the path cannot be had.
std::string ModuleTitle();

}  // namespace platform
