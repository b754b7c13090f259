// TemplateMerger: reads a text file whole (in text mode, so CR LF becomes a
// line feed) and replaces markers in it, such as the report page template
// whose "@data" receives the table rows. Bytes are compared exactly and
// case-sensitively; everything other than the markers passes unchanged.
#pragma once

#include <string>
#include <string_view>

class TemplateMerger {
 public:
  // Reads `fileName` and replaces every occurrence of markers[i] by
  // replacements[i] (ReplaceAll), marker by marker in array order, into
  // `merged`. False, with the reason in `error` and `merged` as it was, when
  // the file cannot be read.
  static bool MergeTemplate(const char* const* markers, const std::string_view* replacements, int count,
                            const char* fileName, std::string& merged, std::string& error);

  // Reads the whole file into `text`; false, with
  // "ファイル[<name>]は、オープンできません。" in `error` and `text` as it
  // was, when it cannot be opened. The file is read in pieces ending at a
  // line end or after READ_PIECE_SIZE - 1 bytes, so lines of any length
  // arrive whole.
  static bool ReadTextFile(const char* fileName, std::string& text, std::string& error);

  // A new text equal to `text` in which `marker` no longer occurs: the first
  // occurrence is replaced by `replacement`, then the search starts again
  // from the beginning, so a marker that a replacement forms with its
  // neighbours is replaced too ("@data" by "@" in "@@datadata" gives "@@").
  // Two kinds of replacement would never let that end: one holding the
  // marker itself, and one that keeps forming it again while the text grows
  // ("ab" by "bbaa" in "aab"), taken to be so once the text grows, or is
  // replaced more often, than one replacement per occurrence of the marker
  // in `text` plus the square of the length of `text` allows. Either is
  // inserted once per occurrence, found left to right in `text` without
  // overlapping, and never searched. An empty marker replaces nothing.
  static std::string ReplaceAll(const char* marker, std::string_view replacement, const std::string& text);

  // Position (from 0) of the first occurrence of `sought` in the first
  // `length` bytes of `text`; -1 when absent or when either is empty.
  static long FindText(const char* text, size_t length, const char* sought);

  static constexpr int READ_PIECE_SIZE = 1024;

 private:
  // Every occurrence found left to right in `text`, without overlapping,
  // replaced once; the replacements are not searched.
  static std::string ReplaceInOnePass(const char* marker, std::string_view replacement, const std::string& text);
};

// "ファイル[<name>]は、オープンできません。": what the user is told about a
// file that cannot be opened.
std::string OpenFailureMessage(const char* name);
