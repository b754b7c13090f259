// Conversion between the Shift-JIS (code page 932) text that the programs
// send and read, and the UTF-8 text the database keeps.
#pragma once

#include <string>

// Converts CP932 bytes to UTF-8. Returns false when `cp932` holds a byte
// sequence that is not CP932; `utf8` is then empty.
bool Cp932ToUtf8(const std::string& cp932, std::string& utf8);

// Converts UTF-8 text to CP932. A character that CP932 cannot represent, or
// a malformed UTF-8 sequence, becomes "?" so a reply always goes out whole.
std::string Utf8ToCp932(const std::string& utf8);
