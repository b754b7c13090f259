#include "viewer/form/query_form_dialog.h"

#include "platform/app.h"
#include "platform/initial_lists.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "resources/viewer/resource.h"
#include "viewer/form/about_dialog.h"
#include "viewer/form/master_table.h"
#include "viewer/form/station_picker.h"

namespace {

constexpr const char* COMMENTARY_FILE = "norda.html";
constexpr const char* STATION_INFO_FILE = "Chiten.csv";

// In the order the form selects their first rows at start-up.
constexpr int PERIOD_COMBO_IDS[PERIOD_COMBO_COUNT] = {
    IDC_TO_YEAR,       IDC_FROM_YEAR,      IDC_TO_PENTAD,         IDC_FROM_PENTAD,      IDC_TO_CAL_PENTAD,
    IDC_FROM_CAL_PENTAD, IDC_TO_CAL_MONTH, IDC_FROM_CAL_MONTH,    IDC_TO_MONTHLY_MONTH, IDC_FROM_MONTHLY_MONTH,
    IDC_TO_TENDAY_MONTH, IDC_FROM_TENDAY_MONTH, IDC_TO_TENDAY,    IDC_FROM_TENDAY,      IDC_TO_DAILY_MONTH,
    IDC_FROM_DAILY_MONTH, IDC_TO_DAILY_DAY, IDC_FROM_DAILY_DAY};

constexpr int PERIOD_LABEL_IDS[PERIOD_LABEL_COUNT] = {
    IDC_TO_DAILY_DAY_LABEL,    IDC_FROM_DAILY_DAY_LABEL,    IDC_TO_PENTAD_LABEL,
    IDC_FROM_PENTAD_LABEL,     IDC_TO_CAL_MONTH_LABEL,      IDC_FROM_CAL_MONTH_LABEL,
    IDC_TO_CAL_PENTAD_LABEL,   IDC_FROM_CAL_PENTAD_LABEL,   IDC_TO_MONTHLY_MONTH_LABEL,
    IDC_FROM_MONTHLY_MONTH_LABEL, IDC_TO_TENDAY_MONTH_LABEL, IDC_FROM_TENDAY_MONTH_LABEL,
    IDC_TO_DAILY_MONTH_LABEL,  IDC_FROM_DAILY_MONTH_LABEL};

}  // namespace

const platform::CommandEntry<QueryFormDialog> QueryFormDialog::COMMANDS[] = {
    {IDC_BLOCK, platform::CBN_SELCHANGE, &QueryFormDialog::OnBlockChanged},
    {IDC_PREFECTURE, platform::CBN_SELCHANGE, &QueryFormDialog::RefreshStationList},
    {IDC_STATION_LIST, platform::LBN_DBLCLK, &QueryFormDialog::OnStationDoubleClick},
    {IDC_CHOSEN_LIST, platform::LBN_DBLCLK, &QueryFormDialog::OnChosenDoubleClick},
    {IDC_CHOOSE, platform::BN_CLICKED, &QueryFormDialog::OnChooseSelected},
    {IDC_REMOVE, platform::BN_CLICKED, &QueryFormDialog::OnRemoveSelected},
    {IDC_PERIOD_TYPE, platform::CBN_SELCHANGE, &QueryFormDialog::OnPeriodTypeChanged},
    {IDC_REMOVE_ALL, platform::BN_CLICKED, &QueryFormDialog::OnRemoveAll},
    {IDC_CHOOSE_ALL, platform::BN_CLICKED, &QueryFormDialog::OnChooseAll},
    {IDC_CLEAR_ALL_ELEMENTS, platform::BN_CLICKED, &QueryFormDialog::OnClearAllElements},
    {IDC_CHECK_ALL_ELEMENTS, platform::BN_CLICKED, &QueryFormDialog::OnCheckAllElements},
    {IDC_SPREADSHEET, platform::BN_CLICKED, &QueryFormDialog::OnSpreadsheet},
    {IDC_COMMENTARY, platform::BN_CLICKED, &QueryFormDialog::OnCommentary},
    {platform::ID_HELP, platform::BN_CLICKED, &QueryFormDialog::OnCommentary},
    {IDC_STATION_INFO, platform::BN_CLICKED, &QueryFormDialog::OnStationInfo},
};

QueryFormDialog::QueryFormDialog()
    : CDialog(IDD_QUERY_FORM), formIcon(platform::LoadIcon(IDI_FORM_ICON)), spreadsheetMode(0) {}

void QueryFormDialog::DoDataExchange(platform::CDataExchange& dx) {
  CDialog::DoDataExchange(dx);
  platform::DDX_Control(dx, IDC_CHECK_ALL_ELEMENTS, checkAllButton);
  platform::DDX_Control(dx, IDC_CLEAR_ALL_ELEMENTS, clearAllButton);
  for (int i = 0; i < PERIOD_LABEL_COUNT; ++i) platform::DDX_Control(dx, PERIOD_LABEL_IDS[i], periodLabels[i]);
  for (int i = 0; i < ELEMENT_COUNT; ++i) platform::DDX_Control(dx, ELEMENT_CHECK_BOXES[i], elementBoxes[i]);
  platform::DDX_Control(dx, IDC_CHOSEN_LIST, chosenList);
  platform::DDX_Control(dx, IDC_STATION_LIST, stationList);
  for (int i = 0; i < PERIOD_COMBO_COUNT; ++i) platform::DDX_Control(dx, PERIOD_COMBO_IDS[i], periodCombos[i]);
  platform::DDX_Control(dx, IDC_PERIOD_TYPE, periodTypeCombo);
  platform::DDX_Control(dx, IDC_PREFECTURE, prefectureCombo);
  platform::DDX_Control(dx, IDC_BLOCK, blockCombo);
}

bool QueryFormDialog::OnCommand(int id, int code) { return platform::RouteCommand(*this, COMMANDS, id, code); }

bool QueryFormDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  platform::FillInitialLists(*this, IDD_QUERY_FORM);
  if (HasSystemMenu()) {
    std::string aboutItem = platform::LoadString(IDS_ABOUT_ITEM);
    if (!aboutItem.empty()) {
      AppendSystemMenuSeparator();
      AppendSystemMenuItem(IDM_ABOUTBOX, aboutItem.c_str());
    }
  }
  SetIcon(formIcon, true);
  SetIcon(formIcon, false);
  FillBlocks();
  FillPeriodTypes();
  FillYears();
  for (platform::CComboBox& combo : periodCombos) combo.SetCurSel(0);
  OnPeriodTypeChanged();
  spreadsheetMode = 0;
  return true;
}

// Appends the name of every row of `table` to `combo`.
void QueryFormDialog::AppendNames(const MasterTable& table, platform::CComboBox& combo) {
  for (int row = 0; row < table.Count(); ++row) combo.AddString(table.NameAt(row).c_str());
}

void QueryFormDialog::FillBlocks() {
  blockCombo.ResetContent();
  AppendNames(MasterTable(BLOCK_FILE), blockCombo);
  blockCombo.SetCurSel(0);
  OnBlockChanged();
}

void QueryFormDialog::FillPeriodTypes() {
  periodTypeCombo.ResetContent();
  AppendNames(MasterTable(PERIOD_TYPE_FILE), periodTypeCombo);
  periodTypeCombo.SetCurSel(0);
}

void QueryFormDialog::FillYears() {
  platform::CComboBox* fromYear = PeriodCombo(IDC_FROM_YEAR);
  platform::CComboBox* toYear = PeriodCombo(IDC_TO_YEAR);
  fromYear->ResetContent();
  toYear->ResetContent();
  MasterTable years(YEAR_FILE);
  AppendNames(years, *fromYear);
  AppendNames(years, *toYear);
}

void QueryFormDialog::OnSysCommand(unsigned command, std::intptr_t param) {
  if ((command & platform::SYSTEM_COMMAND_MASK) == IDM_ABOUTBOX) {
    AboutDialog about;
    about.DoModal();
    return;
  }
  CDialog::OnSysCommand(command, param);
}

void QueryFormDialog::OnPaint() {
  if (IsIconic()) {
    PaintIconCentred(formIcon);
    return;
  }
  CDialog::OnPaint();
}

platform::IconHandle QueryFormDialog::OnQueryDragIcon() { return formIcon; }

void QueryFormDialog::OnCheckAllElements() {
  for (platform::CButton& box : elementBoxes) box.SetCheck(platform::BST_CHECKED);
  OnPeriodTypeChanged();
}

void QueryFormDialog::OnClearAllElements() {
  for (platform::CButton& box : elementBoxes) box.SetCheck(platform::BST_UNCHECKED);
}

void QueryFormDialog::ReadElementFlags(int32_t* flags) {
  for (int i = 0; i < ELEMENT_COUNT; ++i) flags[i] = elementBoxes[i].GetCheck() == platform::BST_CHECKED ? 1 : 0;
}

void QueryFormDialog::OnCommentary() { platform::ShellOpen(COMMENTARY_FILE, nullptr, nullptr); }

void QueryFormDialog::OnStationInfo() { platform::ShellOpen(STATION_INFO_FILE, nullptr, nullptr); }

platform::CWnd* QueryFormDialog::PeriodControl(int id) {
  if (platform::CComboBox* combo = PeriodCombo(id)) return combo;
  for (int i = 0; i < PERIOD_LABEL_COUNT; ++i) {
    if (PERIOD_LABEL_IDS[i] == id) return &periodLabels[i];
  }
  return nullptr;
}

platform::CComboBox* QueryFormDialog::PeriodCombo(int id) {
  for (int i = 0; i < PERIOD_COMBO_COUNT; ++i) {
    if (PERIOD_COMBO_IDS[i] == id) return &periodCombos[i];
  }
  return nullptr;
}

void QueryFormDialog::Tell(const char* text) { platform::ShowMessage(GetSafeHwnd(), text, VIEWER_CAPTION); }

bool QueryFormDialog::Stop(const char* text) {
  Tell(text);
  return false;
}
