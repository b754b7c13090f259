// Conversion between the system's Shift-JIS texts and the UTF-16 texts of the
// Windows W functions. Only the platform layer converts; everything above it
// handles code page 932 bytes.
#pragma once

#include <string>

namespace platform {

// Returns the UTF-16 form of a zero-terminated code page 932 text (empty for
// nullptr); an invalid byte sequence becomes the platform's replacement
// character.
std::wstring ToWide(const char* text);

// Returns the code page 932 form of a UTF-16 text; characters without a
// Shift-JIS form become "?".
std::string ToNarrow(const wchar_t* text);

// The code page 932 form of `text` with "?" for every character Shift-JIS
// lacks; never a look-alike in its place (a "¥" never becomes the byte of
// "\", an "é" never an "e").
std::string ToNarrowMarked(const std::wstring& text);

// True, with `narrow` holding its code page 932 form, when Shift-JIS holds
// every character of `text` exactly; false otherwise.
bool ToNarrowExactly(const std::wstring& text, std::string& narrow);

// The same conversions for a counted text in any code page (932, the
// system's ANSI code page CP_ACP, UTF-8 CP_UTF8); an empty text gives an
// empty result.
std::wstring DecodeText(unsigned codePage, const char* text, size_t length);
std::string EncodeText(unsigned codePage, const std::wstring& text);

// True when `byte` opens a double-byte code page 932 character: the byte
// after it is the character's second half, even when it looks like "\".
bool IsLeadByte(unsigned char byte);

}  // namespace platform
