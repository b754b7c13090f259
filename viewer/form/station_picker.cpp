#include "viewer/form/station_picker.h"

#include "viewer/form/master_table.h"

namespace {

// The code at `row` of `table` into `code`; false, `code` empty, for a
// missing row.
bool CodeAtRow(const MasterTable& table, int row, std::string& code) {
  code = table.CodeAt(row);
  return row >= 0 && row < table.Count();
}

}  // namespace

bool BlockCodeAtRow(int blockRow, std::string& code) {
  MasterTable blocks(BLOCK_FILE);
  return CodeAtRow(blocks, blockRow, code);
}

bool PrefectureCodeAtRows(int blockRow, int prefectureRow, std::string& code) {
  std::string blockCode;
  if (!BlockCodeAtRow(blockRow, blockCode)) {
    code.clear();
    return false;
  }
  MasterTable prefectures(PREFECTURE_FILE, blockCode.c_str());
  return CodeAtRow(prefectures, prefectureRow, code);
}

void ListUnchosenStations(const char* prefectureCode, const PairList& chosen, PairList& listed) {
  listed.Clear();
  MasterTable stations(STATION_FILE, prefectureCode);
  for (int row = 0; row < stations.Count(); ++row) {
    std::string code = stations.CodeAt(row);
    std::string chosenName;
    if (chosen.Lookup(code, chosenName)) continue;
    listed.Add(code.c_str(), stations.NameAt(row).c_str());
  }
}

void AddEntriesAt(const PairList& from, const int* rows, int rowCount, PairList& to) {
  for (int i = 0; i < rowCount; ++i) {
    std::string code;
    std::string name;
    from.GetAt(rows[i], code, name);
    to.Add(code.c_str(), name.c_str());
  }
}

void RemoveEntriesAt(PairList& list, const int* rows, int rowCount) {
  for (int i = rowCount - 1; i >= 0; --i) {
    std::string code;
    std::string name;
    list.GetAt(rows[i], code, name);
    list.Remove(code);
  }
}

std::string StationRowText(const PairList& list, int position) {
  std::string code;
  std::string name;
  list.GetAt(position, code, name);
  return code + " " + name;
}
