#include "platform/path_text.h"

#include <windows.h>

#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/wide_text.h"

namespace platform {

namespace {

// Stand-ins given out so far and the paths they stand for. A program hands
// out a handful (its folder, TEMP, a browser's folder), so a list will do.
class StandIns {
 public:
  // Records that `text` stands for `path`; false when it, or a stand-in it
  // starts with or that starts with it, already stands for another path, so
  // that a text never names two folders.
  bool Record(const std::string& text, const std::wstring& path) {
    std::lock_guard<std::mutex> hold(lock);
    for (const auto& entry : entries) {
      if (!Agree(entry.first, entry.second, text, path) || !Agree(text, path, entry.first, entry.second)) {
        return false;
      }
    }
    entries.emplace_back(text, path);
    return true;
  }

  // The system path of `text` when it starts with a stand-in (the longest
  // that does); false otherwise. A stand-in is a whole Shift-JIS text, so
  // the rest of `text` starts on a character of its own.
  bool Resolve(const std::string& text, std::wstring& path) const {
    std::lock_guard<std::mutex> hold(lock);
    const std::pair<std::string, std::wstring>* best = nullptr;
    for (const auto& entry : entries) {
      bool starts = text.compare(0, entry.first.size(), entry.first) == 0;
      if (starts && (best == nullptr || entry.first.size() > best->first.size())) best = &entry;
    }
    if (best == nullptr) return false;
    path = best->second + ToWide(text.c_str() + best->first.size());
    return true;
  }

 private:
  // False when `longer` starts with `shorter` but the path it stands for
  // does not start with the path of `shorter`. Stand-ins are written
  // character by character, so equal leading bytes are equally many
  // leading characters.
  static bool Agree(const std::string& shorter, const std::wstring& shorterPath, const std::string& longer,
                    const std::wstring& longerPath) {
    if (longer.compare(0, shorter.size(), shorter) != 0) return true;
    return longerPath.compare(0, shorterPath.size(), shorterPath) == 0;
  }

  mutable std::mutex lock;
  std::vector<std::pair<std::string, std::wstring>> entries;
};

StandIns& GivenStandIns() {
  static StandIns standIns;
  return standIns;
}

// The short form of an existing path; empty when the volume keeps none.
std::wstring ShortForm(const std::wstring& path) {
  DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return std::wstring();
  std::wstring shortForm(size, L'\0');
  DWORD length = GetShortPathNameW(path.c_str(), &shortForm[0], size);
  if (length == 0 || length >= size) return std::wstring();
  shortForm.resize(length);
  return shortForm;
}

// True, with `text` set, when Shift-JIS holds `path` exactly in at most
// `maxBytes` bytes.
bool FitsExactly(const std::wstring& path, size_t maxBytes, std::string& text) {
  return !path.empty() && ToNarrowExactly(path, text) && text.size() <= maxBytes;
}

}  // namespace

std::string PathText(const std::wstring& path, size_t maxBytes) {
  std::string text;
  if (FitsExactly(path, maxBytes, text)) return text;
  return PathTextFor(path, ShortForm(path), maxBytes);
}

std::string PathTextFor(const std::wstring& path, const std::wstring& shortForm, size_t maxBytes) {
  if (path.empty()) return std::string();
  std::string text;
  bool exact = ToNarrowExactly(path, text);
  if (exact && text.size() <= maxBytes) return text;
  std::string shortText;
  if (FitsExactly(shortForm, maxBytes, shortText)) return shortText;
  // A path Shift-JIS holds but that is too long gets no stand-in: it would
  // be no shorter.
  if (exact || text.size() > maxBytes) return std::string();
  return GivenStandIns().Record(text, path) ? text : std::string();
}

std::wstring SystemPath(const char* text) {
  if (text == nullptr) return std::wstring();
  std::wstring path;
  if (std::strchr(text, '?') != nullptr && GivenStandIns().Resolve(text, path)) return path;
  return ToWide(text);
}

std::string ShownPath(const std::wstring& path) { return ToNarrowMarked(path); }

}  // namespace platform
