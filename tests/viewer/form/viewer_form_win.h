// Driving the real tarvex.exe's query form from tests and tools: waiting
// until the form has handled what was posted to it, and the steps a user
// takes to ask for one report (choose stations, pick the period, tick the
// elements). Each step waits until the form shows its effect and returns
// false (with the reason on stderr) when it cannot be done. Windows only.
//
//   ReportRequest monthly{{{"北海道", "宗谷", "11001"}}, 0, MONTHLY_TYPE_ROW,
//                         {{IDC_FROM_MONTHLY_MONTH, 0}, {IDC_TO_MONTHLY_MONTH, 11}}, {IDC_PRECIPITATION}};
//   ASSERT_TRUE(FillReportForm(form, monthly));
//   PressEnter(form);
#pragma once

#include <string>
#include <vector>

#include "tests/support/gui_driver_win.h"

// Waits until the program has handled every message posted to `form` before
// this call (a marker posted behind them comes through); false on time-out.
bool Settle(test_support::WindowHandle form, int timeoutMs = test_support::DEFAULT_WAIT_MS);

// The first of `rows` whose text begins with `start`, or -1.
int RowStartingWith(const std::vector<std::string>& rows, const std::string& start);

// A station as the picker reaches it: the start of its block's and its
// prefecture's row in the two combos, and its number (its row in the station
// list starts with it).
struct StationPick {
  const char* block;
  const char* prefecture;
  const char* number;
};

// A row of one of the period combos (the years, or a FROM or TO field of the
// period type).
struct PeriodPick {
  int comboId;
  int row;
};

// One report as the form asks for it.
struct ReportRequest {
  std::vector<StationPick> stations;  // in the order they are chosen
  int firstStations;                  // or, when above 0, this many of the picker's first stations
  int periodTypeRow;                  // row of the period-type combo (M_KISYU.dat order)
  std::vector<PeriodPick> period;     // picked in this order, after the type
  std::vector<int> elements;          // element check box ids
};

// Chooses one station with 選択 >.
bool ChooseStation(test_support::WindowHandle form, const StationPick& station);

// Chooses the first `count` stations of the picker, block by block and
// prefecture by prefecture, with 全選択 where a whole prefecture fits.
bool ChooseFirstStations(test_support::WindowHandle form, int count);

// Clears the chosen stations and the elements, then fills the form as
// `request` says.
bool FillReportForm(test_support::WindowHandle form, const ReportRequest& request);
