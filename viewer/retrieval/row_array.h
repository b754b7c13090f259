// RowArray: the contiguous block of ObservationRow that retrieval fills and
// the display command hands to the report. It owns its block and frees it when
// destroyed, so the rows are released on every way out, an exception included.
#pragma once

#include "viewer/base/observation_row.h"

class RowArray {
 public:
  RowArray();  // no block, capacity 0

  // Reserves `capacity` zero-filled rows (none when capacity <= 0). Throws
  // std::bad_alloc when the block cannot be had.
  explicit RowArray(int capacity);

  ~RowArray();
  RowArray(RowArray&& other) noexcept;
  RowArray& operator=(RowArray&& other) noexcept;
  RowArray(const RowArray&) = delete;
  RowArray& operator=(const RowArray&) = delete;

  // The first row of the block; nullptr while no block is held.
  ObservationRow* Data();
  const ObservationRow* Data() const;

  // Rows the block has room for; rows beyond those written are all zero.
  int Capacity() const;

  // Makes room for at least `capacity` rows as Grow would, but reports a block
  // that cannot be had by returning false (the array stays as it was).
  bool Reserve(int capacity);

  // The row at `position` (>= 0). A position at or beyond the capacity grows
  // the block first (at least doubling it, new rows zero-filled, earlier rows
  // kept), so a reply longer than reserved loses nothing. Throws
  // std::bad_alloc when the block cannot grow; the rows held stay valid.
  ObservationRow& At(int position);

 private:
  void Grow(int minimumCapacity);

  ObservationRow* rows;
  int capacity;
};
