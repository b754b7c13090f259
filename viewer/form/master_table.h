// MasterTable: one master file (comma-separated Shift-JIS text) read into a
// code column and a name column, optionally filtered on its parent-key field
// (field 2) and its group-key field (field 3). Built by one load at
// construction and read-only afterwards; handlers build one, read it and drop
// it, so a master file is read afresh every time.
#pragma once

#include "viewer/base/pair_list.h"

// status after a load whose file could not be opened.
constexpr int MASTER_OPEN_FAILED = -900;
// Size of the message text, terminating zero included.
constexpr int MASTER_MESSAGE_SIZE = 1024;
// At most this many rows are kept; later matching records are refused.
constexpr int MASTER_ROWS = PAIRLIST_SLOTS;

class MasterTable {
 public:
  // Reads `path` in text mode, one record per read of at most SLOT_SIZE-1
  // bytes (a longer physical line gives several records). Fields are split
  // at every ","; CR and LF bytes are dropped wherever they stand. A record is
  // kept when its field 2 equals `parentKey` and its field 3 equals
  // `groupKey`; nullptr means no filter on that field. On success status is
  // 0; when the file cannot be opened status is MASTER_OPEN_FAILED, message
  // names the path and the table is empty.
  explicit MasterTable(const char* path, const char* parentKey = nullptr,
                       const char* groupKey = nullptr);
  ~MasterTable();
  MasterTable(const MasterTable&) = delete;
  MasterTable& operator=(const MasterTable&) = delete;

  // Copy the row's code (field 0) or name (field 1) into the caller's
  // SLOT_SIZE-byte buffer and return 0. A row outside 0..Count()-1 yields
  // an empty string.
  int CodeAt(int row, char* buffer) const;
  int NameAt(int row, char* buffer) const;

  int Count() const;

  // Load result, read by the owner: 0 or MASTER_OPEN_FAILED, and the
  // failure text (empty after a successful load). Nothing shows it.
  int status;
  char message[MASTER_MESSAGE_SIZE];

 private:
  void Load(const char* path, const char* parentKey, const char* groupKey);
  void Keep(const char* code, const char* name);

  int count;
  char* codes;  // MASTER_ROWS slots of SLOT_SIZE bytes, or nullptr
  char* names;  // MASTER_ROWS slots of SLOT_SIZE bytes, or nullptr
};
