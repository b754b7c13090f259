// The operator's data files (station lists, daily observations): comma-
// separated lines in UTF-8 or Shift-JIS, read whole and turned into fields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class TextEncoding { Utf8, ShiftJis };

// "utf-8" or "shift-jis" (any letter case); false for anything else.
bool ParseEncoding(const std::string& name, TextEncoding& encoding);

// Reads the file at `path` as UTF-8 text: a UTF-8 byte-order mark is
// dropped, Shift-JIS converted. Returns false with `error` set when the file
// cannot be read or is not text of that encoding.
bool ReadImportText(const std::string& path, TextEncoding encoding, std::string& text, std::string& error);

// The lines of `text`, each without its CR LF or LF; a last line without a
// line end counts, an empty text has none.
std::vector<std::string_view> TextLines(std::string_view text);

// Cuts a line into fields at ",". A field may be enclosed in double quotes
// (then it may hold "," and a doubled quote stands for one); blanks around
// a field are dropped. Returns false for an unclosed quote or text after a
// closing one.
bool SplitFields(std::string_view line, std::vector<std::string>& fields);
