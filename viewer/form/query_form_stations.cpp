// The station picker's handlers of the query form. After every move the
// chosen list shows chosenStations and the station list shows the selected
// prefecture's stations not chosen, both in code order, with no row selected.
#include "viewer/form/master_table.h"
#include "viewer/form/query_form_dialog.h"
#include "viewer/form/station_picker.h"

namespace {

// InsertString's row that appends: rows keep the order of insertion although
// the list boxes are sorted-style.
constexpr int APPEND_ROW = -1;

// Refills `listBox` with one row per entry of `list`, in list order.
void ShowStations(platform::CListBox& listBox, const PairList& list) {
  listBox.ResetContent();
  for (int i = 0; i < list.Count(); ++i) listBox.InsertString(APPEND_ROW, StationRowText(list, i).c_str());
}

// The caret row of `listBox` when it stands for an entry of `list`, else -1.
int CaretEntry(const platform::CListBox& listBox, const PairList& list) {
  int row = listBox.GetCaretIndex();
  return row >= 0 && row < list.Count() && row < listBox.GetCount() ? row : -1;
}

}  // namespace

void QueryFormDialog::OnBlockChanged() {
  prefectureCombo.ResetContent();
  std::string blockCode;
  if (BlockCodeAtRow(blockCombo.GetCurSel(), blockCode)) {
    AppendNames(MasterTable(PREFECTURE_FILE, blockCode.c_str()), prefectureCombo);
  }
  prefectureCombo.SetCurSel(0);
  RefreshStationList();
}

void QueryFormDialog::RefreshStationList() {
  listedStations.Clear();
  stationList.ResetContent();
  std::string prefectureCode;
  if (!PrefectureCodeAtRows(blockCombo.GetCurSel(), prefectureCombo.GetCurSel(), prefectureCode)) return;
  ListUnchosenStations(prefectureCode.c_str(), chosenStations, listedStations);
  ShowStations(stationList, listedStations);
}

void QueryFormDialog::RebuildChosenList() { ShowStations(chosenList, chosenStations); }

void QueryFormDialog::OnChooseSelected() {
  int rows[PAIRLIST_SLOTS];
  int count = stationList.GetSelItems(PAIRLIST_SLOTS, rows);
  if (count <= 0) return;
  AddEntriesAt(listedStations, rows, count, chosenStations);
  RebuildChosenList();
  RefreshStationList();
}

void QueryFormDialog::OnRemoveSelected() {
  int rows[PAIRLIST_SLOTS];
  int count = chosenList.GetSelItems(PAIRLIST_SLOTS, rows);
  if (count <= 0) return;
  RemoveEntriesAt(chosenStations, rows, count);
  RebuildChosenList();
  RefreshStationList();
}

void QueryFormDialog::OnChooseAll() {
  for (int row = listedStations.Count() - 1; row >= 0; --row) AddEntriesAt(listedStations, &row, 1, chosenStations);
  RebuildChosenList();
  RefreshStationList();
}

void QueryFormDialog::OnRemoveAll() {
  chosenStations.Clear();
  RebuildChosenList();
  RefreshStationList();
}

void QueryFormDialog::OnStationDoubleClick() {
  int row = CaretEntry(stationList, listedStations);
  if (row < 0) return;
  std::string code;
  std::string name;
  listedStations.GetAt(row, code, name);
  listedStations.Remove(code);
  chosenStations.Add(code.c_str(), name.c_str());
  RefreshStationList();
  RebuildChosenList();
}

void QueryFormDialog::OnChosenDoubleClick() {
  int row = CaretEntry(chosenList, chosenStations);
  if (row < 0) return;
  std::string code;
  std::string name;
  chosenStations.GetAt(row, code, name);
  chosenStations.Remove(code);
  listedStations.Add(code.c_str(), name.c_str());
  RebuildChosenList();
  RefreshStationList();
}
