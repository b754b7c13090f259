#include "viewer/form/station_picker.h"

#include <cstring>

#include "viewer/form/master_table.h"

namespace {

// Copies the code at `row` of `table` into `code`; false for a missing row.
bool CodeAtRow(const MasterTable& table, int row, char* code) {
  std::memset(code, 0, SLOT_SIZE);
  if (row < 0 || row >= table.Count()) return false;
  table.CodeAt(row, code);
  return true;
}

}  // namespace

bool BlockCodeAtRow(int blockRow, char* code) {
  MasterTable blocks(BLOCK_FILE);
  return CodeAtRow(blocks, blockRow, code);
}

bool PrefectureCodeAtRows(int blockRow, int prefectureRow, char* code) {
  char blockCode[SLOT_SIZE];
  if (!BlockCodeAtRow(blockRow, blockCode)) {
    std::memset(code, 0, SLOT_SIZE);
    return false;
  }
  MasterTable prefectures(PREFECTURE_FILE, blockCode);
  return CodeAtRow(prefectures, prefectureRow, code);
}

void ListUnchosenStations(const char* prefectureCode, const PairList& chosen, PairList& listed) {
  listed.Clear();
  MasterTable stations(STATION_FILE, prefectureCode);
  for (int row = 0; row < stations.Count(); ++row) {
    char code[SLOT_SIZE] = {};
    char name[SLOT_SIZE] = {};
    stations.CodeAt(row, code);
    stations.NameAt(row, name);
    char chosenName[SLOT_SIZE];
    if (chosen.Lookup(code, chosenName)) continue;
    listed.Add(code, name);
  }
}

void AddEntriesAt(const PairList& from, const int* rows, int rowCount, PairList& to) {
  for (int i = 0; i < rowCount; ++i) {
    char code[SLOT_SIZE] = {};
    char name[SLOT_SIZE] = {};
    from.GetAt(rows[i], code, name);
    to.Add(code, name);
  }
}

void RemoveEntriesAt(PairList& list, const int* rows, int rowCount) {
  for (int i = rowCount - 1; i >= 0; --i) {
    char code[SLOT_SIZE] = {};
    char name[SLOT_SIZE] = {};
    list.GetAt(rows[i], code, name);
    list.Remove(code);
  }
}

std::string StationRowText(const PairList& list, int position) {
  char code[SLOT_SIZE] = {};
  char name[SLOT_SIZE] = {};
  list.GetAt(position, code, name);
  return std::string(code) + " " + name;
}
