// MasterTable: one master file (comma-separated Shift-JIS text) read into a
// code column and a name column, optionally filtered on its parent-key field
// (field 2) and its group-key field (field 3). Built by one load at
// construction and read-only afterwards; handlers build one, read it and drop
// it, so a master file is read afresh every time.
#pragma once

#include <string>

#include "viewer/base/pair_list.h"

// At most this many rows are kept; later matching records are refused.
constexpr int MASTER_ROWS = PAIRLIST_SLOTS;

class MasterTable {
 public:
  // Reads `path` in text mode, one record per read of at most SLOT_SIZE-1
  // bytes (a longer physical line gives several records). Fields are split
  // at every ","; CR and LF bytes are dropped wherever they stand. A record is
  // kept when its field 2 equals `parentKey` and its field 3 equals
  // `groupKey`; nullptr means no filter on that field. A file that cannot be
  // opened gives an empty table (the form then lists nothing).
  explicit MasterTable(const char* path, const char* parentKey = nullptr,
                       const char* groupKey = nullptr);
  MasterTable();  // an empty table
  ~MasterTable();
  MasterTable(const MasterTable&) = delete;
  MasterTable& operator=(const MasterTable&) = delete;

  // Loads the table afresh as the constructor does. False, with
  // "マスターファイル[<path>]は、オープンできません。" in `error` and the
  // table empty, when the file cannot be opened.
  bool Load(const char* path, const char* parentKey, const char* groupKey, std::string& error);

  // Copy the row's code (field 0) or name (field 1) into the caller's
  // SLOT_SIZE-byte buffer. A row outside 0..Count()-1 yields an empty string.
  void CodeAt(int row, char* buffer) const;
  void NameAt(int row, char* buffer) const;

  int Count() const;

 private:
  void Keep(const char* code, const char* name);

  int count;
  char* codes;  // MASTER_ROWS slots of SLOT_SIZE bytes, or nullptr
  char* names;  // MASTER_ROWS slots of SLOT_SIZE bytes, or nullptr
};
