#include "viewer/retrieval/row_array.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

RowArray::RowArray() : rows(nullptr), capacity(0) {}

RowArray::RowArray(int initialCapacity) : RowArray() {
  if (initialCapacity > 0) Grow(initialCapacity);
}

RowArray::~RowArray() { std::free(rows); }

RowArray::RowArray(RowArray&& other) noexcept
    : rows(std::exchange(other.rows, nullptr)), capacity(std::exchange(other.capacity, 0)) {}

RowArray& RowArray::operator=(RowArray&& other) noexcept {
  if (this != &other) {
    std::free(rows);
    rows = std::exchange(other.rows, nullptr);
    capacity = std::exchange(other.capacity, 0);
  }
  return *this;
}

ObservationRow* RowArray::Data() { return rows; }

const ObservationRow* RowArray::Data() const { return rows; }

int RowArray::Capacity() const { return capacity; }

bool RowArray::Reserve(int wanted) {
  if (wanted <= capacity) return true;
  try {
    Grow(wanted);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

ObservationRow& RowArray::At(int position) {
  if (position >= capacity) {
    if (position == INT_MAX) throw std::bad_alloc();
    // Doubling keeps a long reply linear in its length.
    int doubled = capacity > INT_MAX / 2 ? INT_MAX : capacity * 2;
    Grow(position + 1 > doubled ? position + 1 : doubled);
  }
  return rows[position];
}

void RowArray::Grow(int minimumCapacity) {
  size_t bytes = static_cast<size_t>(minimumCapacity) * sizeof(ObservationRow);
  void* grown = std::realloc(rows, bytes);
  if (grown == nullptr) throw std::bad_alloc();
  rows = static_cast<ObservationRow*>(grown);
  std::memset(rows + capacity, 0,
              static_cast<size_t>(minimumCapacity - capacity) * sizeof(ObservationRow));
  capacity = minimumCapacity;
}
