// QueryFormDialog: the viewer's one window, the query form (dialog template IDD_QUERY_FORM).
// The user picks stations (block, prefecture, station lists), a period type
// with FROM and TO, and elements; Enter writes an HTML report, 表計算 a CSV
// file, and the shell opens it. The form keeps every selection between runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/dialog.h"
#include "viewer/base/observation_row.h"
#include "viewer/base/pair_list.h"
#include "viewer/base/query.h"
#include "viewer/form/period_selection.h"
#include "viewer/report/report_writer.h"

class MasterTable;
class ServerLink;
class Settings;

// Caption of the viewer's form and of every message it shows.
constexpr const char* VIEWER_CAPTION = "Tarvex";

// Per-type FROM and TO combos (the year combos among them) and their labels.
constexpr int PERIOD_COMBO_COUNT = 18;
constexpr int PERIOD_LABEL_COUNT = 14;

class QueryFormDialog : public platform::CDialog {
 public:
  QueryFormDialog();

  // Runs the display command: checks the form, signs in at ServerIP,
  // retrieves the observations from the data server (DataServer, else the
  // built-in one), writes the report as `mode` says and opens it, records
  // the use at ServerIP once the shell has opened it. Every outcome is shown
  // to the user; the form's state does not change.
  void RunDisplayCommand(OutputMode mode);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(platform::CDataExchange& dx) override;
  bool OnCommand(int id, int code) override;
  void OnOK() override;
  void OnSysCommand(unsigned command, std::intptr_t param) override;
  void OnPaint() override;
  platform::IconHandle OnQueryDragIcon() override;

 private:
  static const platform::CommandEntry<QueryFormDialog> COMMANDS[];

  // Start-up filling from the master files.
  static void AppendNames(const MasterTable& table, platform::CComboBox& combo);
  void FillBlocks();
  void FillPeriodTypes();
  void FillYears();
  // With Secure on, starts readying the system's secure channel in the background.
  void PrepareSecureLink();

  // Station picker.
  void OnBlockChanged();
  void RefreshStationList();
  void RebuildChosenList();
  void OnChooseSelected();
  void OnRemoveSelected();
  void OnChooseAll();
  void OnRemoveAll();
  void OnStationDoubleClick();
  void OnChosenDoubleClick();

  // Period and elements.
  void OnPeriodTypeChanged();
  // The selected type with its FROM and TO texts.
  Period ReadPeriod();
  std::string ReadPeriodSide(PeriodType type, PeriodSide side);
  void OnCheckAllElements();
  void OnClearAllElements();
  ElementSet ReadElements();

  // Steps of the display command; each shows what ends the command and then
  // returns false (CheckSelections: no query).
  std::optional<Query> CheckSelections();
  // Asks, before any exchange, whether a query above the settings' ConfirmRows
  // rows is to run; false when the user answers No.
  bool ConfirmSize(const Query& query, const Settings& settings);
  // Sets `link` to ServerIP with an internet session of its own; false,
  // the failure told, when the session cannot be opened.
  bool OpenLink(const Settings& settings, ServerLink& link);
  // Signs in and fetches the stations under the progress window; on true
  // `signInReply` holds the sign-in's row and `rows` every station's rows.
  bool SignInAndFetch(const Settings& settings, const ServerLink& link, const Query& query,
                      std::string& signInReply, std::vector<ObservationRow>& rows);
  void RecordUsage(ServerLink& link, const std::string& clientNumber, int rowCount);

  // Documents and the spreadsheet road.
  void OnCommentary();
  void OnStationInfo();
  void OnSpreadsheet();

  // The control wrapper of a per-type period control or year combo.
  platform::CWnd* PeriodControl(int id);
  platform::CComboBox* PeriodCombo(int id);
  // Shows `text` in a message box owned by the form, caption VIEWER_CAPTION.
  void Tell(const char* text);
  // Tell, then false: the way a step of a command ends it.
  bool Stop(const char* text);

  platform::CButton checkAllButton;
  platform::CButton clearAllButton;
  platform::CStatic periodLabels[PERIOD_LABEL_COUNT];
  platform::CButton elementBoxes[ELEMENT_COUNT];  // flag order
  platform::CListBox chosenList;
  platform::CListBox stationList;
  platform::CComboBox periodCombos[PERIOD_COMBO_COUNT];
  platform::CComboBox periodTypeCombo;
  platform::CComboBox blockCombo;
  platform::CComboBox prefectureCombo;
  platform::IconHandle formIcon;
  PairList chosenStations;
  PairList listedStations;
};
