#include "viewer/form/query_form_dialog.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/credentials_file.h"
#include "common/exchange_canceller.h"
#include "common/server_link.h"
#include "common/server_statements.h"
#include "common/settings.h"
#include "platform/app.h"
#include "platform/initial_lists.h"
#include "platform/internet.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/wait_cursor.h"
#include "resources/viewer/resource.h"
#include "viewer/form/about_dialog.h"
#include "viewer/form/data_years_file.h"
#include "viewer/form/master_table.h"
#include "viewer/form/retrieval_progress_dialog.h"
#include "viewer/form/station_picker.h"
#include "viewer/report/report_writer.h"
#include "viewer/report/template_merger.h"
#include "viewer/retrieval/data_server_exchange.h"
#include "viewer/retrieval/retrieve.h"
#include "viewer/retrieval/query_size.h"

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

// True when the 0-terminated id list `ids` holds `id`.
bool Contains(const int* ids, int id) {
  for (; *ids != 0; ++ids) {
    if (*ids == id) return true;
  }
  return false;
}

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

// Moves the entry at `listBox`'s caret from `from` to `to`; false when the
// caret is on no entry.
bool MoveCaretEntry(const platform::CListBox& listBox, PairList& from, PairList& to) {
  int row = CaretEntry(listBox, from);
  if (row < 0) return false;
  std::string code;
  std::string name;
  from.GetAt(row, code, name);
  from.Remove(code);
  to.Add(code.c_str(), name.c_str());
  return true;
}

// The server that holds the observation tables, built into the program; the
// settings file's DataServer names another.
constexpr const char* BUILT_IN_DATA_SERVER = TARVEX_DATA_SERVER;

constexpr const char* NO_STATION_MESSAGE = "観測地点を１件以上選択してください。";
constexpr const char* PERIOD_ORDER_MESSAGE = "期間のFROM、TOに矛盾があります。";
constexpr const char* PERIOD_RANGE_BETWEEN = "～";
constexpr const char* PERIOD_RANGE_END = "に該当する期間を指定してください。";
constexpr const char* FIRST_DAY = "/01/01";
constexpr const char* LAST_DAY = "/12/31";
constexpr const char* NO_ELEMENT_MESSAGE = "要素は、１つ以上選択してください。";
constexpr const char* TOO_MANY_COLUMNS_MESSAGE = "観測地点および要素の選択が多すぎます。絞り込んでください。";
constexpr const char* SIGN_IN_FAILED_MESSAGE = "ユーザ認証に失敗しました。IDとパスワードを確認してください。";
constexpr const char* NO_DATA_MESSAGE = "該当するデータはありません。";

// How the sign-in went, for the form to tell once it has ended.
struct SignInOutcome {
  std::string reply;     // its row: the client number first
  bool refused = false;  // the server answered, but not with the one row of a known user
};

// "%04d" of `year`.
std::string FourDigitYear(int year) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", year);
  return digits;
}

// The range message names the first and the last day of the data's years,
// whatever the period type.
std::string PeriodRangeMessage(const DataYears& years) {
  return FourDigitYear(years.first) + FIRST_DAY + PERIOD_RANGE_BETWEEN + FourDigitYear(years.last) + LAST_DAY +
         PERIOD_RANGE_END;
}

// What the form tells when its selections fail a query's check `fault`.
std::string FaultMessage(QueryFault fault, const DataYears& years) {
  switch (fault) {
    case QueryFault::NoStation: return NO_STATION_MESSAGE;
    case QueryFault::PeriodOrder: return PERIOD_ORDER_MESSAGE;
    case QueryFault::PeriodRange: return PeriodRangeMessage(years);
    case QueryFault::NoElement: return NO_ELEMENT_MESSAGE;
    case QueryFault::TooManyColumns: return TOO_MANY_COLUMNS_MESSAGE;
    case QueryFault::None: break;
  }
  return std::string();
}

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
    : CDialog(IDD_QUERY_FORM), formIcon(platform::LoadIcon(IDI_FORM_ICON)) {}

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
  PrepareSecureLink();
  return true;
}

// While the user fills the form, the system readies what the first HTTPS
// exchange needs. The display command reads the settings afresh; a file
// missing now is told then.
void QueryFormDialog::PrepareSecureLink() {
  Settings settings;
  if (settings.Read(SettingsProgram::Viewer) && settings.secure) {
    platform::CInternetSession::PrepareSecureConnections();
  }
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

ElementSet QueryFormDialog::ReadElements() {
  ElementSet elements;
  for (int i = 0; i < ELEMENT_COUNT; ++i) elements.set(i, elementBoxes[i].GetCheck() == platform::BST_CHECKED);
  return elements;
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

// The period selection handlers of the query form: the period-type change,
// which shows the type's FROM and TO controls and withholds the elements the
// type does not offer, and the period texts of the display command.
void QueryFormDialog::OnPeriodTypeChanged() {
  std::optional<PeriodType> type = PeriodTypeAtRow(periodTypeCombo.GetCurSel());
  for (int i = 0; i < ELEMENT_COUNT; ++i) {
    if (ElementWithheld(type, ELEMENT_CHECK_BOXES[i])) elementBoxes[i].SetCheck(platform::BST_UNCHECKED);
  }
  const int* shown = PeriodControlSet(type);
  for (const int* id = AllPeriodControls(); *id != 0; ++id) {
    PeriodControl(*id)->ShowWindow(Contains(shown, *id) ? platform::SW_SHOW : platform::SW_HIDE);
  }
  for (int i = 0; i < ELEMENT_COUNT; ++i) elementBoxes[i].EnableWindow(!ElementWithheld(type, ELEMENT_CHECK_BOXES[i]));
}

Period QueryFormDialog::ReadPeriod() {
  std::optional<PeriodType> type = PeriodTypeAtRow(periodTypeCombo.GetCurSel());
  // A row without a type has no FROM and TO, which the range check refuses.
  if (!type) return Period{PeriodType::Yearly, "", ""};
  return Period{*type, ReadPeriodSide(*type, PeriodSide::From), ReadPeriodSide(*type, PeriodSide::To)};
}

std::string QueryFormDialog::ReadPeriodSide(PeriodType type, PeriodSide side) {
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

// The station picker's handlers of the query form. After every move the
// chosen list shows chosenStations and the station list shows the selected
// prefecture's stations not chosen, both in code order, with no row selected.
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
  if (!MoveCaretEntry(stationList, listedStations, chosenStations)) return;
  RefreshStationList();
  RebuildChosenList();
}

void QueryFormDialog::OnChosenDoubleClick() {
  if (!MoveCaretEntry(chosenList, chosenStations, listedStations)) return;
  RebuildChosenList();
  RefreshStationList();
}

// The display command of the query form: from the form's selections to the
// opened report and the usage record. Enter (IDOK) writes HTML, 表計算 CSV.
void QueryFormDialog::OnOK() { RunDisplayCommand(OutputMode::Html); }

void QueryFormDialog::OnSpreadsheet() { RunDisplayCommand(OutputMode::Csv); }

void QueryFormDialog::RunDisplayCommand(OutputMode mode) {
  std::optional<Query> query = CheckSelections();
  if (!query) return;

  Settings settings;
  if (!settings.Read(SettingsProgram::Viewer)) Tell(SETTINGS_UNREADABLE);
  if (!ConfirmSize(*query, settings)) return;
  ServerLink link(VIEWER_ROW_TERMINATOR);
  if (!OpenLink(settings, link)) return;
  std::string signInReply;
  std::vector<ObservationRow> rows;
  if (!SignInAndFetch(settings, link, *query, signInReply, rows)) return;

  int32_t rowCount = static_cast<int32_t>(rows.size());
  std::string reportPath;
  std::string reportError;
  bool reportMade = false;
  {
    platform::CWaitCursor wait;
    ExchangeResult written = GuardExchange([&] {
      reportMade = ReportWriter::MakeReport(*query, mode, rows.data(), rowCount, reportPath, reportError);
      return true;
    });
    wait.Restore();
    if (written != ExchangeResult::Done) {
      Tell(ExchangeFailureMessage(written));
      return;
    }
  }
  // The report writer says nothing itself: its reason is shown here.
  if (!reportMade) {
    if (!reportError.empty()) Tell(reportError.c_str());
    return;
  }
  if (rowCount == 0) {
    Tell(NO_DATA_MESSAGE);  // the file is written but not opened
    return;
  }
  // A report the shell could not open has not been delivered: it is not
  // recorded as a use.
  if (!platform::ShellOpen(reportPath.c_str(), nullptr, nullptr)) {
    Tell(OpenFailureMessage(reportPath.c_str()).c_str());
    return;
  }
  RecordUsage(link, signInReply.substr(0, CLIENT_NUMBER_LENGTH), rowCount);
}

std::optional<Query> QueryFormDialog::CheckSelections() {
  const DataYears years = ReadDataYears(YEAR_FILE);
  QueryFault fault = QueryFault::None;
  std::optional<Query> query = Query::Make(chosenStations, ReadPeriod(), ReadElements(), years, fault);
  if (!query) Tell(FaultMessage(fault, years).c_str());
  return query;
}

bool QueryFormDialog::ConfirmSize(const Query& query, const Settings& settings) {
  int64_t rows = QueryRowCount(query.stations.Count(), query.period);
  if (!AsksBeforeFetching(rows, ConfirmRowsSetting(settings.confirmRows))) return true;
  return platform::ShowMessage(GetSafeHwnd(), RowConfirmationQuestion(rows).c_str(), VIEWER_CAPTION,
                               platform::MessageKind::YesNoQuestion) == platform::ANSWER_YES;
}

bool QueryFormDialog::OpenLink(const Settings& settings, ServerLink& link) {
  link.server = settings.serverIp;
  link.secure = settings.secure;
  ExchangeResult opened = GuardExchange([&] {
    link.session = ServerLink::OpenSession();
    return true;
  });
  return opened == ExchangeResult::Done || Stop(ExchangeFailureMessage(opened));
}

// The sign-in at ServerIP, then the stations' observations from the data
// server (DataServer, else the built-in one), side by side, all over the
// link's internet session and under the progress window, so the form is
// drawn and 中止 answers from the first exchange on. A station whose
// exchange failed is told in a box of its own when its turn in the list
// comes, and the others go on; a server whose certificate does not check
// out or that does not answer ends the whole command with one message; 中止
// ends it silently, the form as it was.
bool QueryFormDialog::SignInAndFetch(const Settings& settings, const ServerLink& link, const Query& query,
                                     std::string& signInReply, std::vector<ObservationRow>& rows) {
  std::string userId;
  std::string password;
  CredentialsFile::Read(userId, password);
  auto canceller = std::make_shared<ExchangeCanceller>();
  // Written by the sign-in's worker thread; read here once it has ended.
  auto signIn = std::make_shared<SignInOutcome>();
  ServerLink signInLink = link;
  signInLink.canceller = canceller;
  std::function<bool()> signInStep = [signInLink, statement = SignInStatement(userId, password), signIn]() mutable {
    int rowCount = 0;
    if (!signInLink.Execute(statement, signIn->reply, rowCount)) return false;
    signIn->refused = rowCount != 1;
    return !signIn->refused;
  };
  const std::string dataServer = settings.dataServer.empty() ? BUILT_IN_DATA_SERVER : settings.dataServer;
  auto allowanceUsedUp = std::make_shared<std::atomic<bool>>(false);
  RetrievalProgressDialog progress(
      *this, query, settings.connections, std::move(signInStep),
      DataServerExchange(dataServer, settings.secure, link.session, canceller, allowanceUsedUp),
      [canceller] { canceller->Cancel(); }, *allowanceUsedUp);
  ExchangeResult retrieved = progress.Run(rows);
  // The month's allowance is used up: one message, no report, no usage record.
  if (*allowanceUsedUp) return Stop(ALLOWANCE_USED_UP_MESSAGE);
  if (retrieved == ExchangeResult::Cancelled) return false;
  if (retrieved == ExchangeResult::Failed && signIn->refused) return Stop(SIGN_IN_FAILED_MESSAGE);
  if (retrieved != ExchangeResult::Done) return Stop(ExchangeFailureMessage(retrieved));
  signInReply = signIn->reply;
  return true;
}

// The use is recorded once the report is open. A failed exchange is told
// but the report stays open; an exception of the internet layer is caught
// as in the sign-in, so it cannot end the program.
void QueryFormDialog::RecordUsage(ServerLink& link, const std::string& clientNumber, int rowCount) {
  std::string reply;
  int rows = 0;
  ExchangeResult result = ExecuteGuarded(link, UsageRecordStatement(clientNumber, rowCount), reply, rows);
  if (result != ExchangeResult::Done) Tell(ExchangeFailureMessage(result));
}
