#include "viewer/report/template_merger.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const OPEN_FAILURE = "ファイル[%s]は、オープンできません。";

// Occurrences of `marker` in `text`, counted left to right without overlapping.
size_t CountOccurrences(const char* marker, const GrowingText& text) {
  const size_t markerLength = std::strlen(marker);
  const char* rest = text.Data();
  size_t restLength = text.Length();
  size_t count = 0;
  long found;
  while ((found = TemplateMerger::FindText(rest, restLength, marker)) >= 0) {
    ++count;
    rest += found + markerLength;
    restLength -= found + markerLength;
  }
  return count;
}

}  // namespace

void FormatOpenFailure(char* message, size_t size, const char* name) {
  std::snprintf(message, size, OPEN_FAILURE, name);
}

TemplateMerger::TemplateMerger() { std::memset(lastError, 0, sizeof lastError); }

TemplateMerger::~TemplateMerger() = default;

std::unique_ptr<GrowingText> TemplateMerger::MergeTemplate(const char* const* markers,
                                                           const char* const* replacements, int count,
                                                           const char* fileName) {
  std::memset(lastError, 0, sizeof lastError);
  std::unique_ptr<GrowingText> text = ReadTextFile(fileName);
  if (!text) return nullptr;
  for (int i = 0; i < count; ++i) {
    if (FindText(text->Data(), text->Length(), markers[i]) < 0) continue;
    *text = ReplaceAll(markers[i], replacements[i], *text);
  }
  return text;
}

std::unique_ptr<GrowingText> TemplateMerger::ReadTextFile(const char* fileName) {
  std::memset(lastError, 0, sizeof lastError);
  std::FILE* file = std::fopen(fileName, "r");
  if (!file) {
    FormatOpenFailure(lastError, sizeof lastError, fileName);
    return nullptr;
  }
  std::unique_ptr<GrowingText> text(new GrowingText);
  char piece[READ_PIECE_SIZE];
  while (std::fgets(piece, sizeof piece, file)) AppendBytes(*text, piece, std::strlen(piece));
  std::fclose(file);
  return text;
}

GrowingText TemplateMerger::ReplaceAll(const char* marker, const char* replacement, const GrowingText& text) {
  const size_t markerLength = std::strlen(marker);
  const size_t replacementLength = std::strlen(replacement);
  const char* rest = text.Data();
  size_t restLength = text.Length();
  GrowingText merged;
  merged.Reserve(text.Length() + CountOccurrences(marker, text) * replacementLength);
  long found;
  while ((found = FindText(rest, restLength, marker)) >= 0) {
    AppendBytes(merged, rest, static_cast<size_t>(found));
    AppendBytes(merged, replacement, replacementLength);
    rest += found + markerLength;
    restLength -= found + markerLength;
  }
  AppendBytes(merged, rest, restLength);
  return merged;
}

long TemplateMerger::FindText(const char* text, size_t length, const char* sought) {
  const size_t soughtLength = std::strlen(sought);
  if (length == 0 || soughtLength == 0 || soughtLength > length) return -1;
  const char* end = text + length - soughtLength + 1;
  for (const char* p = text; p < end; ++p) {
    p = static_cast<const char*>(std::memchr(p, sought[0], static_cast<size_t>(end - p)));
    if (!p) return -1;
    if (std::memcmp(p, sought, soughtLength) == 0) return static_cast<long>(p - text);
  }
  return -1;
}

size_t TemplateMerger::AppendBytes(GrowingText& buffer, const char* bytes, size_t count) {
  return buffer.AppendBytes(bytes, count);
}
