// PairList: an ordered list of at most PAIRLIST_SLOTS unique key/value pairs of
// Shift-JIS text, each string in a fixed SLOT_SIZE-byte slot. The chosen and
// the listed stations of the query form are PairLists (station code to name);
// retrieval and the report read the chosen ones by position.
//
// Invariants: entries occupy slots 0..count-1 of both columns; keys are
// unique byte for byte; after every Add the entries are in ascending key
// order (bytes compared as unsigned values, a prefix sorting first); slots at
// or beyond count that Remove or Clear touched are all zero bytes.
#pragma once

#include <cstddef>

constexpr int SLOT_SIZE = 256;
constexpr int PAIRLIST_SLOTS = 256;

class PairList {
 public:
  PairList();  // both columns allocated and zero-filled, count 0
  ~PairList();
  PairList(const PairList&) = delete;
  PairList& operator=(const PairList&) = delete;

  // Adds a pair (each text cut to SLOT_SIZE-1 bytes) and re-sorts the list.
  // False, with nothing changed, when the key is already present or the list
  // already holds PAIRLIST_SLOTS entries.
  bool Add(const char* key, const char* value);

  // Copies key and value at `position` into the caller's SLOT_SIZE-byte
  // buffers. A position outside 0..count-1 yields two empty strings.
  void GetAt(int position, char* key, char* value) const;

  // Removes the entry with this key; the others keep their order, packed from
  // slot 0, and freed slots become zero bytes.
  void Remove(const char* key);

  // Copies the value stored under `key` into the SLOT_SIZE-byte buffer; false
  // (buffer untouched) when the key is absent.
  bool Lookup(const char* key, char* value) const;

  // Drops every entry: fresh zero-filled columns, count 0.
  void Clear();

  int Count() const;

 private:
  int count;
  int reserved;  // kept at 0; part of the list's fixed record layout
  char* keys;    // PAIRLIST_SLOTS slots of SLOT_SIZE bytes
  char* values;  // PAIRLIST_SLOTS slots of SLOT_SIZE bytes
};
