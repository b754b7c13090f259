#include "viewer/base/pair_list.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t COLUMN_SIZE = static_cast<size_t>(SLOT_SIZE) * PAIRLIST_SLOTS;

char* NewColumn() { return static_cast<char*>(std::calloc(COLUMN_SIZE, 1)); }

char* Slot(char* column, int position) { return column + static_cast<size_t>(position) * SLOT_SIZE; }

// Copies at most SLOT_SIZE-1 bytes and always terminates the slot.
void CopyIntoSlot(char* slot, const char* text) {
  std::memset(slot, 0, SLOT_SIZE);
  std::strncpy(slot, text, SLOT_SIZE - 1);
}

// Byte-wise comparison with every byte taken as unsigned 0..255.
int CompareBytes(const char* a, const char* b) {
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
  while (*x != 0 && *x == *y) {
    ++x;
    ++y;
  }
  return static_cast<int>(*x) - static_cast<int>(*y);
}

void SwapSlots(char* column, int i, int j) {
  char held[SLOT_SIZE];
  std::memcpy(held, Slot(column, i), SLOT_SIZE);
  std::memcpy(Slot(column, i), Slot(column, j), SLOT_SIZE);
  std::memcpy(Slot(column, j), held, SLOT_SIZE);
}

}  // namespace

PairList::PairList() : count(0), reserved(0), keys(NewColumn()), values(NewColumn()) {}

PairList::~PairList() {
  std::free(keys);
  std::free(values);
}

bool PairList::Add(const char* key, const char* value) {
  char candidate[SLOT_SIZE];
  CopyIntoSlot(candidate, key);
  for (int i = 0; i < count; ++i) {
    if (CompareBytes(Slot(keys, i), candidate) == 0) return false;
  }
  if (count >= PAIRLIST_SLOTS) return false;
  CopyIntoSlot(Slot(keys, count), key);
  CopyIntoSlot(Slot(values, count), value);
  ++count;
  // A plain bubble sort: the list is short and re-sorted after every insertion.
  for (int pass = 0; pass < count; ++pass) {
    for (int i = 0; i + 1 < count - pass; ++i) {
      if (CompareBytes(Slot(keys, i), Slot(keys, i + 1)) > 0) {
        SwapSlots(keys, i, i + 1);
        SwapSlots(values, i, i + 1);
      }
    }
  }
  return true;
}

void PairList::GetAt(int position, char* key, char* value) const {
  if (position < 0 || position >= count) {
    key[0] = '\0';
    value[0] = '\0';
    return;
  }
  std::memcpy(key, Slot(keys, position), SLOT_SIZE);
  std::memcpy(value, Slot(values, position), SLOT_SIZE);
}

void PairList::Remove(const char* key) {
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    if (CompareBytes(Slot(keys, i), key) == 0) continue;
    if (kept != i) {
      std::memcpy(Slot(keys, kept), Slot(keys, i), SLOT_SIZE);
      std::memcpy(Slot(values, kept), Slot(values, i), SLOT_SIZE);
    }
    ++kept;
  }
  for (int i = kept; i < count; ++i) {
    std::memset(Slot(keys, i), 0, SLOT_SIZE);
    std::memset(Slot(values, i), 0, SLOT_SIZE);
  }
  count = kept;
}

bool PairList::Lookup(const char* key, char* value) const {
  for (int i = 0; i < count; ++i) {
    if (CompareBytes(Slot(keys, i), key) == 0) {
      std::memcpy(value, Slot(values, i), SLOT_SIZE);
      return true;
    }
  }
  return false;
}

void PairList::Clear() {
  std::free(keys);
  std::free(values);
  keys = NewColumn();
  values = NewColumn();
  count = 0;
  reserved = 0;
}

int PairList::Count() const { return count; }
