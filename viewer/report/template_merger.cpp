#include "viewer/report/template_merger.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char* const OPEN_FAILURE_START = "ファイル[";
const char* const OPEN_FAILURE_END = "]は、オープンできません。";

// Occurrences of `marker` in `text`, counted left to right without overlapping.
size_t CountOccurrences(const char* marker, const std::string& text) {
  const size_t markerLength = std::strlen(marker);
  const char* rest = text.data();
  size_t restLength = text.size();
  size_t count = 0;
  long found;
  while ((found = TemplateMerger::FindText(rest, restLength, marker)) >= 0) {
    ++count;
    rest += found + markerLength;
    restLength -= found + markerLength;
  }
  return count;
}

// A run of bytes still to be read, in place; `markerFree` when it is known
// not to hold the marker (a replacement, searched once), so only its joins
// need searching.
struct Piece {
  const char* bytes;
  size_t length;
  bool markerFree;
};

// Looks for the marker starting in the last bytes of `merged` and ending in
// `next`, the only place where the two together can hold one that neither
// holds alone. On finding one returns true with `dropped`, its bytes in
// `merged`, and `read`, its bytes in `next`.
bool FindAcrossTheJoin(const char* marker, const std::string& merged, const Piece& next, size_t& dropped,
                       size_t& read) {
  const size_t markerLength = std::strlen(marker);
  const size_t tail = std::min(merged.size(), markerLength - 1);
  std::string join(merged.data() + merged.size() - tail, tail);
  join.append(next.bytes, std::min(next.length, markerLength - 1));
  long found = TemplateMerger::FindText(join.data(), join.size(), marker);
  if (found < 0 || static_cast<size_t>(found) >= tail) return false;
  dropped = tail - static_cast<size_t>(found);
  read = markerLength - dropped;
  return true;
}

}  // namespace

std::string OpenFailureMessage(const char* name) {
  return std::string(OPEN_FAILURE_START) + name + OPEN_FAILURE_END;
}

bool TemplateMerger::MergeTemplate(const char* const* markers, const std::string_view* replacements, int count,
                                   const char* fileName, std::string& merged, std::string& error) {
  std::string text;
  if (!ReadTextFile(fileName, text, error)) return false;
  for (int i = 0; i < count; ++i) {
    if (FindText(text.data(), text.size(), markers[i]) < 0) continue;
    text = ReplaceAll(markers[i], replacements[i], text);
  }
  merged = std::move(text);
  return true;
}

bool TemplateMerger::ReadTextFile(const char* fileName, std::string& text, std::string& error) {
  std::FILE* file = std::fopen(fileName, "r");
  if (!file) {
    error = OpenFailureMessage(fileName);
    return false;
  }
  std::string read;
  char piece[READ_PIECE_SIZE];
  while (std::fgets(piece, sizeof piece, file)) read.append(piece, std::strlen(piece));
  std::fclose(file);
  text = std::move(read);
  return true;
}

std::string TemplateMerger::ReplaceAll(const char* marker, std::string_view replacement, const std::string& text) {
  const size_t markerLength = std::strlen(marker);
  const size_t replacementLength = replacement.size();
  if (markerLength == 0 || FindText(replacement.data(), replacementLength, marker) >= 0) {
    return ReplaceInOnePass(marker, replacement, text);
  }
  // The one-pass length plus the square of the text's: a merge that ends may
  // take a replacement per pair of bytes ("ab" by "ba" in "aabb"); one that
  // grows past that, or replaces more often, would not end ("bbaa" in "aab").
  const size_t occurrences = CountOccurrences(marker, text);
  const size_t onePassLength = text.size() - occurrences * markerLength + occurrences * replacementLength;
  const size_t limit = onePassLength + text.size() * text.size();

  // The merged text is written from the front and never holds the marker;
  // what is still to be read is a stack of pieces of `text` and of the
  // replacement, which are read in place, never copied. Replacing the
  // marker where it ends in the text written so far, and reading the
  // replacement next, is replacing the first occurrence and searching again
  // from the start.
  std::string merged;
  merged.reserve(onePassLength);
  std::vector<Piece> toRead{{text.data(), text.size(), false}};
  size_t length = text.size();
  size_t replacements = 0;
  while (!toRead.empty()) {
    Piece next = toRead.back();
    toRead.pop_back();
    if (next.length == 0) continue;
    size_t dropped = 0;
    size_t read = 0;
    if (!FindAcrossTheJoin(marker, merged, next, dropped, read)) {
      long found = next.markerFree ? -1 : FindText(next.bytes, next.length, marker);
      if (found < 0) {
        merged.append(next.bytes, next.length);
        continue;
      }
      merged.append(next.bytes, static_cast<size_t>(found));
      read = static_cast<size_t>(found) + markerLength;
    }
    length = length - markerLength + replacementLength;
    if (++replacements > limit || length > limit) return ReplaceInOnePass(marker, replacement, text);
    merged.erase(merged.size() - dropped);
    toRead.push_back({next.bytes + read, next.length - read, next.markerFree});
    toRead.push_back({replacement.data(), replacementLength, true});
  }
  return merged;
}

std::string TemplateMerger::ReplaceInOnePass(const char* marker, std::string_view replacement,
                                             const std::string& text) {
  const size_t markerLength = std::strlen(marker);
  const size_t replacementLength = replacement.size();
  const char* rest = text.data();
  size_t restLength = text.size();
  std::string merged;
  merged.reserve(text.size() + CountOccurrences(marker, text) * replacementLength);
  long found;
  while ((found = FindText(rest, restLength, marker)) >= 0) {
    merged.append(rest, static_cast<size_t>(found));
    merged.append(replacement);
    rest += found + markerLength;
    restLength -= found + markerLength;
  }
  merged.append(rest, restLength);
  return merged;
}

long TemplateMerger::FindText(const char* text, size_t length, const char* sought) {
  if (sought[0] == '\0') return -1;
  size_t found = std::string_view(text, length).find(sought);
  return found == std::string_view::npos ? -1 : static_cast<long>(found);
}
