// Files of the local disk for the code that builds on both platforms (the
// viewer's report files). Paths are path texts: Shift-JIS, as the platform
// layer names the system's folders (platform/path_text.h), so a folder of
// any name opens on any system code page. The Windows build opens them
// through the platform layer; the native build (tests, fuzzing, benchmarks)
// hands them to the C library as they are.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

// Opens the file at `path` as std::fopen does with `mode` ("r", "w", "rb",
// "wb" ...). Returns nullptr when it cannot be opened; the caller closes it.
std::FILE* OpenLocalFile(const char* path, const char* mode);

// Writes `text` to `file`, opened in binary ("wb"), as the system's text
// mode would: on Windows every "\n" as CR LF, natively as it stands.
// Returns false when not all of it was written; the caller closes the file.
bool WriteLocalText(std::FILE* file, std::string_view text);

// The folder that the environment variable TEMP names.
struct LocalTempFolder {
  bool set = false;   // TEMP holds a value
  std::string path;   // the folder as a path text of at most the bytes asked for; empty when none fits
  std::string shown;  // the folder as a message names it
};

// Reads TEMP and names its folder in at most `maxBytes` bytes.
LocalTempFolder FindLocalTempFolder(size_t maxBytes);
