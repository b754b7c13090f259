#include "viewer/base/pair_list.h"

#include <algorithm>

namespace {

std::string Cut(const char* text) {
  std::string cut(text);
  if (cut.size() > PAIR_TEXT_MAX) cut.resize(PAIR_TEXT_MAX);
  return cut;
}

}  // namespace

// std::string compares its bytes as unsigned values, a prefix first: the
// list's order.
bool PairList::Add(const char* key, const char* value) {
  std::string candidate = Cut(key);
  auto place = std::lower_bound(entries.begin(), entries.end(), candidate,
                                [](const auto& entry, const std::string& sought) { return entry.first < sought; });
  if (place != entries.end() && place->first == candidate) return false;
  if (Count() >= PAIRLIST_SLOTS) return false;
  entries.emplace(place, std::move(candidate), Cut(value));
  return true;
}

void PairList::GetAt(int position, std::string& key, std::string& value) const {
  if (position < 0 || position >= Count()) {
    key.clear();
    value.clear();
    return;
  }
  key = entries[position].first;
  value = entries[position].second;
}

void PairList::Remove(const std::string& key) {
  entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const auto& entry) { return entry.first == key; }),
                entries.end());
}

bool PairList::Lookup(const std::string& key, std::string& value) const {
  for (const auto& entry : entries) {
    if (entry.first == key) {
      value = entry.second;
      return true;
    }
  }
  return false;
}

void PairList::Clear() { entries.clear(); }

int PairList::Count() const { return static_cast<int>(entries.size()); }
