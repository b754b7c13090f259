// dialog_host.exe: a small program on the dialog layer that the platform
// tests drive from outside, as the GUI tests drive the real programs.
//
// It runs one modal dialog. Handlers report what they saw in the status
// label (HOST_STATUS) and append lines to "host_events.txt" in the current
// folder; "host_initial.txt" there (two lines) gives the edit fields' first
// texts.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "platform/app.h"
#include "platform/dialog.h"
#include "platform/message_box.h"
#include "tests/platform/dialog_host_ids.h"

namespace {

using namespace platform;

constexpr char EVENTS_FILE[] = "host_events.txt";
constexpr char INITIAL_FILE[] = "host_initial.txt";
constexpr int MAX_SELECTED = 16;
constexpr int MISSING_STRING = 999;
// Rows with trail byte 0x5C (表, ソ) and half-width kana.
const char* const COMBO_ROWS[] = {"北海道", "東北", "表計算", "ﾃｽﾄ"};
const char* const LIST_ROWS[] = {"47401 稚内", "47402 北見枝幸", "ソ連"};

void AppendEvent(const std::string& line) {
  FILE* events = std::fopen(EVENTS_FILE, "ab");
  if (events == nullptr) return;
  std::fputs((line + "\n").c_str(), events);
  std::fclose(events);
}

std::string ReadLine(FILE* file) {
  char line[256] = {};
  if (std::fgets(line, sizeof line, file) == nullptr) return std::string();
  std::string text(line);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

class AboutDialog : public CDialog {
 public:
  AboutDialog() : CDialog(HOST_ABOUT_DIALOG) {}
};

class HostDialog : public CDialog {
 public:
  HostDialog() : CDialog(HOST_MAIN_DIALOG), icon(LoadIcon(HOST_ICON)) {
    FILE* initial = std::fopen(INITIAL_FILE, "r");
    if (initial == nullptr) return;
    userId = ReadLine(initial);
    password = ReadLine(initial);
    std::fclose(initial);
  }

 protected:
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    std::string about = LoadString(HOST_ABOUT_STRING);
    if (HasSystemMenu() && !about.empty()) {
      AppendSystemMenuSeparator();
      AppendSystemMenuItem(ABOUT_COMMAND, about.c_str());
    }
    SetIcon(icon, true);
    SetIcon(icon, false);
    for (const char* row : COMBO_ROWS) combo.AddString(row);
    combo.SetCurSel(0);
    for (const char* row : LIST_ROWS) list.AddString(row);
    // What the resource loaders found: the icon, string 101, a missing string.
    std::string loaded = std::string(icon != nullptr ? "icon" : "no icon") + "|" + about + "|" +
                         LoadString(MISSING_STRING);
    status.SetWindowText(loaded.c_str());
    return true;
  }

  void DoDataExchange(CDataExchange& dx) override {
    DDX_Control(dx, HOST_COMBO, combo);
    DDX_Control(dx, HOST_LIST, list);
    DDX_Control(dx, HOST_CHECK, check);
    DDX_Control(dx, HOST_MESSAGE_BUTTON, messageButton);
    DDX_Control(dx, HOST_STATUS, status);
    DDX_Text(dx, HOST_USER_EDIT, userId);
    DDX_Text(dx, HOST_PASSWORD_EDIT, password);
  }

  bool OnCommand(int id, int code) override;

  void OnOK() override {
    UpdateData(true);
    AppendEvent("ok " + userId + "|" + password);
    EndDialog(IDOK);
  }

  void OnSysCommand(unsigned command, std::intptr_t param) override {
    if ((command & SYSTEM_COMMAND_MASK) == ABOUT_COMMAND) {
      AboutDialog about;
      AppendEvent("about " + std::to_string(about.DoModal()));
    } else {
      CDialog::OnSysCommand(command, param);
    }
  }

  void OnPaint() override {
    if (IsIconic()) {
      PaintIconCentred(icon);
    } else {
      CDialog::OnPaint();
    }
  }

  IconHandle OnQueryDragIcon() override { return icon; }

 private:
  static constexpr unsigned ABOUT_COMMAND = 0x10;
  static const CommandEntry<HostDialog> COMMANDS[];

  void OnComboChanged() { status.SetWindowText(("combo:" + combo.GetLBText(combo.GetCurSel())).c_str()); }

  void OnListDoubleClick() {
    int caret = list.GetCaretIndex();
    int rows[MAX_SELECTED] = {};
    int count = list.GetSelItems(MAX_SELECTED, rows);
    std::string text = "caret:" + std::to_string(caret) + " " + list.GetText(caret) + " selected:";
    for (int i = 0; i < count; ++i) text += (i > 0 ? "," : "") + std::to_string(rows[i]);
    status.SetWindowText(text.c_str());
  }

  void OnCheckClicked() {
    bool checked = check.GetCheck() == BST_CHECKED;
    messageButton.EnableWindow(checked);
    status.ShowWindow(checked ? SW_SHOW : SW_HIDE);
  }

  void OnMessageButton() { ShowMessage(GetSafeHwnd(), "ボタンが押されました。", AfxGetAppName()); }

  void OnThrowButton() { throw std::runtime_error("handler failed"); }

  void OnHiddenCommand() { AppendEvent("hidden command"); }

  IconHandle icon;
  CComboBox combo;
  CListBox list;
  CButton check;
  CButton messageButton;
  CStatic status;
  std::string userId;
  std::string password;
};

const CommandEntry<HostDialog> HostDialog::COMMANDS[] = {
    {HOST_COMBO, CBN_SELCHANGE, &HostDialog::OnComboChanged},
    {HOST_LIST, LBN_DBLCLK, &HostDialog::OnListDoubleClick},
    {HOST_CHECK, BN_CLICKED, &HostDialog::OnCheckClicked},
    {HOST_MESSAGE_BUTTON, BN_CLICKED, &HostDialog::OnMessageButton},
    {HOST_THROW_BUTTON, BN_CLICKED, &HostDialog::OnThrowButton},
    {HOST_HIDDEN_COMMAND, BN_CLICKED, &HostDialog::OnHiddenCommand},
};

bool HostDialog::OnCommand(int id, int code) { return RouteCommand(*this, COMMANDS, id, code); }

// Titled like the programs, so the framework's own boxes carry the title
// while the program's name stays the executable's.
constexpr char HOST_TITLE[] = "Dialog Host";

class HostApp : public CWinApp {
 public:
  HostApp() : CWinApp(HOST_TITLE) {}

  bool InitInstance() override {
    HostDialog dialog;
    m_pMainWnd = &dialog;
    AppendEvent("modal " + std::to_string(dialog.DoModal()));
    m_pMainWnd = nullptr;
    return false;
  }
};

HostApp theApp;

}  // namespace

int main() { return platform::RunApplication(); }
