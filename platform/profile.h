// Profile strings: keys of an initialization file ("[section]" lines, then
// "key=value" lines), read and written through the platform's profile
// functions. Texts are Shift-JIS and the file's path a path text
// (path_text.h); the file's bytes are kept as they are on any system locale.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// Returns the value of `key` in `section` of the file at `path` (a full
// path), or `defaultValue` when the file, the section or the key is missing.
// The result is what a buffer of `bufferSize` bytes holds: at most
// bufferSize-1 bytes, cut before a double-byte character that would not fit.
std::string ReadProfileString(const char* path, const char* section, const char* key,
                              const char* defaultValue, size_t bufferSize);

// Replaces the whole `section` of the file at `path` by `lines` (each
// "key=value"), creating the section or the file when missing; the other
// sections are untouched. Returns false when the file could not be written.
bool ReplaceProfileSection(const char* path, const char* section,
                           const std::vector<std::string>& lines);

}  // namespace platform
