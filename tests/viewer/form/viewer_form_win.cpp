#include "tests/viewer/form/viewer_form_win.h"

#include <cstdio>
#include <string>

#include "platform/win32.h"
#include "resources/viewer/resource.h"

using namespace test_support;

namespace {

bool Fail(const std::string& what) {
  std::fprintf(stderr, "viewer form: %s\n", what.c_str());
  return false;
}

size_t ChosenCount(WindowHandle form) { return ListTexts(form, IDC_CHOSEN_LIST).size(); }

// Picks a combo row as the user does and waits until the form has handled it.
bool Pick(WindowHandle form, int comboId, int row) {
  SelectComboRow(form, comboId, row);
  return Settle(form) || Fail("the form did not handle a pick in combo " + std::to_string(comboId));
}

bool PickRowStartingWith(WindowHandle form, int comboId, const std::string& start) {
  int row = RowStartingWith(ComboTexts(form, comboId), start);
  if (row < 0) return Fail("combo " + std::to_string(comboId) + " has no row " + start);
  return Pick(form, comboId, row);
}

// Clicks a choosing button and waits until `added` more stations are chosen.
bool ChooseAndWait(WindowHandle form, int buttonId, size_t added) {
  size_t before = ChosenCount(form);
  ClickButton(form, buttonId);
  return WaitUntil([&] { return ChosenCount(form) == before + added; }) ||
         Fail("the chosen list did not grow by " + std::to_string(added));
}

}  // namespace

int RowStartingWith(const std::vector<std::string>& rows, const std::string& start) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].compare(0, start.size(), start) == 0) return static_cast<int>(i);
  }
  return -1;
}

bool Settle(WindowHandle form, int timeoutMs) {
  // The hidden 表示 button carries the marker: its pushed state changes
  // nothing the user or the form sees. Messages posted to one thread are
  // handled in the order they were posted, so the form has handled
  // everything posted before the marker once the marker shows. The marker
  // is also seen cleared before returning: a clear still queued would let
  // the next call see a stale push and return at once.
  HWND marker = GetDlgItem(static_cast<HWND>(form), IDC_DISPLAY);
  auto markerShows = [&](bool pushed) {
    return WaitUntil(
        [&] {
          DWORD_PTR state = 0;
          SendMessageTimeoutW(marker, BM_GETSTATE, 0, 0, SMTO_NORMAL, timeoutMs, &state);
          return ((state & BST_PUSHED) != 0) == pushed;
        },
        timeoutMs);
  };
  if (marker == nullptr || !PostMessageW(marker, BM_SETSTATE, TRUE, 0)) return false;
  bool settled = markerShows(true);
  PostMessageW(marker, BM_SETSTATE, FALSE, 0);
  return markerShows(false) && settled;
}

bool ChooseStation(WindowHandle form, const StationPick& station) {
  if (!PickRowStartingWith(form, IDC_BLOCK, station.block) ||
      !PickRowStartingWith(form, IDC_PREFECTURE, station.prefecture)) {
    return false;
  }
  int row = RowStartingWith(ListTexts(form, IDC_STATION_LIST), station.number);
  if (row < 0) return Fail(std::string("the station list lacks ") + station.number);
  SetListSelection(form, IDC_STATION_LIST, row, true);
  return ChooseAndWait(form, IDC_CHOOSE, 1);
}

bool ChooseFirstStations(WindowHandle form, int count) {
  const size_t wanted = static_cast<size_t>(count);
  const int blocks = static_cast<int>(ComboTexts(form, IDC_BLOCK).size());
  for (int block = 0; block < blocks && ChosenCount(form) < wanted; ++block) {
    if (!Pick(form, IDC_BLOCK, block)) return false;
    const int prefectures = static_cast<int>(ComboTexts(form, IDC_PREFECTURE).size());
    for (int prefecture = 0; prefecture < prefectures && ChosenCount(form) < wanted; ++prefecture) {
      if (!Pick(form, IDC_PREFECTURE, prefecture)) return false;
      const size_t missing = wanted - ChosenCount(form);
      const size_t listed = ListTexts(form, IDC_STATION_LIST).size();
      if (listed == 0) continue;
      if (listed <= missing) {
        if (!ChooseAndWait(form, IDC_CHOOSE_ALL, listed)) return false;
        continue;
      }
      for (size_t row = 0; row < missing; ++row) SetListSelection(form, IDC_STATION_LIST, static_cast<int>(row), true);
      if (!ChooseAndWait(form, IDC_CHOOSE, missing)) return false;
    }
  }
  return ChosenCount(form) == wanted || Fail("the picker has fewer than " + std::to_string(count) + " stations");
}

bool FillReportForm(WindowHandle form, const ReportRequest& request) {
  ClickButton(form, IDC_REMOVE_ALL);
  ClickButton(form, IDC_CLEAR_ALL_ELEMENTS);
  if (!Settle(form) || ChosenCount(form) != 0) return Fail("the chosen stations were not cleared");
  for (const StationPick& station : request.stations) {
    if (!ChooseStation(form, station)) return false;
  }
  if (request.firstStations > 0 && !ChooseFirstStations(form, request.firstStations)) return false;
  if (!Pick(form, IDC_PERIOD_TYPE, request.periodTypeRow)) return false;
  for (const PeriodPick& pick : request.period) {
    if (!Pick(form, pick.comboId, pick.row)) return false;
  }
  for (int element : request.elements) SetCheck(form, element, true);
  return Settle(form) || Fail("the form did not take the elements");
}
