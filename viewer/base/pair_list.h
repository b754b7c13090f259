// PairList: an ordered list of at most PAIRLIST_SLOTS unique key/value pairs of
// Shift-JIS text. The chosen and the listed stations of the query form are
// PairLists (station code to name); retrieval and the report read the chosen
// ones by position.
//
// Invariants: keys are unique byte for byte and the entries are in ascending
// key order (bytes compared as unsigned values, a prefix sorting first).
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// Longest key or value text a list keeps; a longer text is cut to it.
constexpr size_t PAIR_TEXT_MAX = 255;
// Most entries a list holds (the list boxes of the form show at most these).
constexpr int PAIRLIST_SLOTS = 256;

class PairList {
 public:
  // Adds a pair, each text cut to PAIR_TEXT_MAX bytes, at its place in key
  // order. False, with nothing changed, when the key is already present or
  // the list already holds PAIRLIST_SLOTS entries.
  bool Add(const char* key, const char* value);

  // Key and value at `position`; two empty texts for a position outside
  // 0..Count()-1.
  void GetAt(int position, std::string& key, std::string& value) const;

  // Removes the entry with this key; the others keep their order.
  void Remove(const std::string& key);

  // The value stored under `key` into `value`; false (`value` untouched) when
  // the key is absent.
  bool Lookup(const std::string& key, std::string& value) const;

  // Drops every entry.
  void Clear();

  int Count() const;

 private:
  std::vector<std::pair<std::string, std::string>> entries;
};
