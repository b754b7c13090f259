// The period selection handlers of the query form: the period-type change,
// which shows the type's FROM and TO controls and withholds the elements the
// type does not offer, and the period texts of the display command.
#include <cstdlib>
#include <string>

#include "viewer/form/query_form_dialog.h"

namespace {

// True when the 0-terminated id list `ids` holds `id`.
bool Contains(const int* ids, int id) {
  for (; *ids != 0; ++ids) {
    if (*ids == id) return true;
  }
  return false;
}

}  // namespace

void QueryFormDialog::OnPeriodTypeChanged() {
  int type = PeriodTypeAtRow(periodTypeCombo.GetCurSel());
  for (int i = 0; i < ELEMENT_COUNT; ++i) {
    if (ElementWithheld(type, ELEMENT_CHECK_BOXES[i])) elementBoxes[i].SetCheck(platform::BST_UNCHECKED);
  }
  const int* shown = PeriodControlSet(type);
  for (const int* id = AllPeriodControls(); *id != 0; ++id) {
    PeriodControl(*id)->ShowWindow(Contains(shown, *id) ? platform::SW_SHOW : platform::SW_HIDE);
  }
  for (int i = 0; i < ELEMENT_COUNT; ++i) elementBoxes[i].EnableWindow(!ElementWithheld(type, ELEMENT_CHECK_BOXES[i]));
}

int QueryFormDialog::BuildPeriodStrings(std::string& from, std::string& to) {
  int type = PeriodTypeAtRow(periodTypeCombo.GetCurSel());
  from = ReadPeriodSide(type, PeriodSide::From);
  to = ReadPeriodSide(type, PeriodSide::To);
  return type;
}

std::string QueryFormDialog::ReadPeriodSide(int type, PeriodSide side) {
  PeriodSideCombos combos = PeriodSideControls(type, side);
  auto selectedText = [this](int id) {
    platform::CComboBox* combo = PeriodCombo(id);
    return combo == nullptr ? std::string() : combo->GetLBText(combo->GetCurSel());
  };
  int field2 = std::atoi(selectedText(combos.field2).c_str());
  int field3 = 0;
  if (combos.field3IsRowNumber) {
    field3 = PeriodCombo(combos.field3)->GetCurSel() + 1;
  } else {
    field3 = std::atoi(selectedText(combos.field3).c_str());
  }
  return FormatPeriodSide(type, selectedText(combos.year).c_str(), field2, field3);
}
