// TemplateMerger: reads a text file whole (in text mode, so CR LF becomes a
// line feed) and replaces markers in it, such as the report page template
// whose "@data" receives the table rows. Bytes are compared exactly and
// case-sensitively; everything other than the markers passes unchanged.
#pragma once

#include <memory>

#include "viewer/report/growing_text.h"

class TemplateMerger {
 public:
  TemplateMerger();
  virtual ~TemplateMerger();

  // Reads `fileName` and replaces every occurrence of markers[i] by
  // replacements[i], marker by marker in array order. Returns the merged
  // text, or null (with `lastError` set) when the file cannot be read.
  std::unique_ptr<GrowingText> MergeTemplate(const char* const* markers, const char* const* replacements, int count,
                                             const char* fileName);

  // The whole file as text, or null with "ファイル[<name>]は、オープンできません。"
  // in `lastError`. The file is read in pieces ending at a line end or
  // after READ_PIECE_SIZE - 1 bytes, so lines of any length arrive whole.
  std::unique_ptr<GrowingText> ReadTextFile(const char* fileName);

  // A new text equal to `text` with every occurrence of `marker` replaced by
  // `replacement`, the occurrences found left to right in `text` without
  // overlapping. The replacement is inserted as it is and never searched, so
  // a replacement holding the marker itself is inserted once per occurrence.
  // An empty marker replaces nothing.
  static GrowingText ReplaceAll(const char* marker, const char* replacement, const GrowingText& text);

  // Position (from 0) of the first occurrence of `sought` in the first
  // `length` bytes of `text`; -1 when absent or when either is empty.
  static long FindText(const char* text, size_t length, const char* sought);

  // Appends `count` bytes to `buffer`; returns count.
  static size_t AppendBytes(GrowingText& buffer, const char* bytes, size_t count);

  static constexpr int READ_PIECE_SIZE = 1024;
  // Bytes of `lastError`, the terminating zero included.
  static constexpr int ERROR_TEXT_SIZE = 1024;

  char lastError[ERROR_TEXT_SIZE];
};

// "ファイル[%s]は、オープンできません。" formatted with `name` into `message`
// (`size` bytes, always terminated).
void FormatOpenFailure(char* message, size_t size, const char* name);
