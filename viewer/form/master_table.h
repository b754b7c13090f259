// MasterTable: one master file (comma-separated Shift-JIS text) read into a
// code column and a name column, optionally filtered on its parent-key field
// (field 2) and its group-key field (field 3). Built by one load at
// construction and read-only afterwards; handlers build one, read it and drop
// it, so a master file is read afresh every time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "viewer/base/pair_list.h"

// At most this many rows are kept; later matching records are refused.
constexpr int MASTER_ROWS = PAIRLIST_SLOTS;
// One read takes at most this many bytes of a line; a longer line gives
// several records.
constexpr size_t MASTER_RECORD_MAX = 255;

class MasterTable {
 public:
  // Reads `path` in text mode, one record per read of at most
  // MASTER_RECORD_MAX bytes. Fields are split at every ","; CR and LF bytes
  // are dropped wherever they stand. A record is kept when its field 2 equals
  // `parentKey` and its field 3 equals `groupKey`; nullptr means no filter on
  // that field. A file that cannot be opened gives an empty table (the form
  // then lists nothing).
  explicit MasterTable(const char* path, const char* parentKey = nullptr, const char* groupKey = nullptr);
  MasterTable() = default;  // an empty table

  // Loads the table afresh as the constructor does. False, with
  // "マスターファイル[<path>]は、オープンできません。" in `error` and the
  // table empty, when the file cannot be opened.
  bool Load(const char* path, const char* parentKey, const char* groupKey, std::string& error);

  // The row's code (field 0) or name (field 1); empty for a row outside
  // 0..Count()-1.
  std::string CodeAt(int row) const;
  std::string NameAt(int row) const;

  int Count() const;

 private:
  std::vector<std::string> codes;
  std::vector<std::string> names;
};
