// The one rule by which the programs name files of the system. Above the
// platform layer a path is a Shift-JIS text like every other text; the
// system's own paths are UTF-16 and may hold characters Shift-JIS lacks (a
// user folder "José") or be longer than the programs' paths may be.
//
// A path of the system becomes a path text (PathText), the first of:
//   1. the path itself, when Shift-JIS holds it exactly and it fits;
//   2. its short (8.3) form, when the volume has one that Shift-JIS holds
//      and that fits;
//   3. a stand-in: the path with "?" for every character Shift-JIS lacks.
//      No file name can hold "?", so the stand-in names no other file: this
//      layer keeps the UTF-16 path it stands for and puts that back whenever
//      the text, or a path below it, goes to the system (SystemPath).
// Every operation of this layer that takes a path turns it into the
// system's form through SystemPath, so a stand-in opens, names a working
// folder and reaches the shell like the path itself.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Longest path text the programs handle, in bytes, without the terminating zero.
constexpr size_t PATH_BYTES_MAX = 259;

// The path text for the existing path `path` (full, UTF-16) of at most
// `maxBytes` bytes, by the rule above. Empty when none fits, or when the
// stand-in already stands for another path ("Jos?" for both "José" and
// "Josè"): then no text can name `path`, and the caller tells the user,
// naming the folder by ShownPath.
std::string PathText(const std::wstring& path, size_t maxBytes = PATH_BYTES_MAX);

// The rule itself, with the short form the volume gives for `path` (empty
// when it gives none); PathText looks the short form up and calls this.
std::string PathTextFor(const std::wstring& path, const std::wstring& shortForm, size_t maxBytes);

// The UTF-16 path the path text `text` names: the path a stand-in at its
// start stands for, followed by the rest of the text; otherwise the text's
// own UTF-16 form. Empty for nullptr.
std::wstring SystemPath(const char* text);

// `path` as a message names it: its Shift-JIS form with "?" for every
// character Shift-JIS lacks, whatever its length.
std::string ShownPath(const std::wstring& path);

}  // namespace platform
