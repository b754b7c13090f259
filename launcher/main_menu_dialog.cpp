#include "launcher/main_menu_dialog.h"

#include <string>
#include <vector>

#include "common/settings.h"
#include "launcher/about_dialog.h"
#include "launcher/launcher_ids.h"
#include "launcher/launcher_texts.h"
#include "launcher/monthly_usage.h"
#include "launcher/self_update.h"
#include "launcher/user_settings_dialog.h"
#include "platform/app.h"
#include "platform/message_box.h"
#include "platform/module_path.h"
#include "platform/shell.h"

namespace {

constexpr char WEATHER_DATA_PROGRAM[] = "vindra.exe";
constexpr char SECOND_PROGRAM[] = "soltrum.exe";
// Below the launcher's folder: the folder followed by "\doc\Kaisetu.txt".
constexpr char COMMENTARY_DOCUMENT[] = "doc\\Kaisetu.txt";
// The viewer's page template: the program the shell associates with it is
// the web browser.
constexpr char BROWSER_PROBE_FILE[] = "output.html";
constexpr char UPDATE_PROGRAM_FETCHED[] = "成功しました";
constexpr char UPDATE_PROGRAM_NOT_FETCHED[] = "失敗しました";

std::string MakerHomePage() { return std::string("http://") + TARVEX_MAKER_HOST + "/"; }

// Starts `program` of the launcher's folder, in that folder; nothing happens
// when the folder is unknown.
void StartSibling(const char* program) {
  std::string path = platform::FileBeside(program);
  if (path.empty()) return;
  std::string folder = platform::ModuleFolder() + "\\";
  platform::ShellOpen(path.c_str(), nullptr, folder.c_str());
}

// Opens `address` in the browser; nothing happens when there is none.
void OpenInBrowser(const std::string& address, platform::WindowHandle owner) {
  std::string probe = platform::FileBeside(BROWSER_PROBE_FILE);
  if (probe.empty()) return;
  std::string browser = platform::FindExecutable(probe.c_str(), nullptr);
  if (browser.empty()) return;
  platform::ShellOpen(browser.c_str(), address.c_str(), nullptr, owner);
}

}  // namespace

const platform::CommandEntry<MainMenuDialog> MainMenuDialog::COMMANDS[] = {
    {IDC_WEATHER_DATA, platform::BN_CLICKED, &MainMenuDialog::OnWeatherData},
    {IDC_SECOND_PROGRAM, platform::BN_CLICKED, &MainMenuDialog::OnSecondProgram},
    {IDC_COMMENTARY, platform::BN_CLICKED, &MainMenuDialog::OnCommentary},
    {IDC_MAKER_HOME_PAGE, platform::BN_CLICKED, &MainMenuDialog::OnMakerHomePage},
    {IDC_USER_SETTINGS, platform::BN_CLICKED, &MainMenuDialog::OnUserSettings},
    {IDC_USER_PAGE, platform::BN_CLICKED, &MainMenuDialog::OnUserPage},
    {IDC_MONTHLY_USAGE, platform::BN_CLICKED, &MainMenuDialog::OnMonthlyUsage},
    {IDC_UPDATE_PROGRAM, platform::BN_CLICKED, &MainMenuDialog::OnUpdateProgram},
};

MainMenuDialog::MainMenuDialog()
    : platform::CDialog(IDD_MAIN_MENU), icon(platform::LoadIcon(IDI_PROGRAM)) {}

bool MainMenuDialog::OnInitDialog() {
  platform::CDialog::OnInitDialog();
  AddSystemMenuItems();
  SetIcon(icon, true);
  SetIcon(icon, false);
  CheckForUpdate(GetSafeHwnd());
  return true;
}

void MainMenuDialog::AddSystemMenuItems() {
  struct Item {
    unsigned command;
    std::string caption;
  };
  std::vector<Item> items = {
      {IDM_ABOUT_BOX, platform::LoadString(IDS_ABOUT_BOX)},
      {IDM_MONTHLY_USAGE, platform::LoadString(IDS_MONTHLY_USAGE_ITEM)},
      {IDM_UPDATE_PROGRAM, platform::LoadString(IDS_UPDATE_PROGRAM_ITEM)},
      {IDM_USER_PAGE, platform::LoadString(IDS_USER_PAGE_ITEM)},
  };
  if (!HasSystemMenu()) return;
  bool separated = false;
  for (const Item& item : items) {
    if (item.caption.empty()) continue;
    if (!separated) AppendSystemMenuSeparator();
    separated = true;
    AppendSystemMenuItem(item.command, item.caption.c_str());
  }
}

bool MainMenuDialog::OnCommand(int id, int code) {
  return platform::RouteCommand(*this, COMMANDS, id, code);
}

void MainMenuDialog::OnSysCommand(unsigned command, std::intptr_t param) {
  switch (command & platform::SYSTEM_COMMAND_MASK) {
    case IDM_ABOUT_BOX:
      AboutDialog(this).DoModal();
      break;
    case IDM_MONTHLY_USAGE:
      OnMonthlyUsage();
      break;
    case IDM_UPDATE_PROGRAM:
      OnUpdateProgram();
      break;
    case IDM_USER_PAGE:
      OnUserPage();
      break;
    default:
      platform::CDialog::OnSysCommand(command, param);
  }
}

void MainMenuDialog::OnPaint() {
  if (IsIconic()) {
    PaintIconCentred(icon);
  } else {
    platform::CDialog::OnPaint();
  }
}

platform::IconHandle MainMenuDialog::OnQueryDragIcon() { return icon; }

void MainMenuDialog::OnWeatherData() { StartSibling(WEATHER_DATA_PROGRAM); }

void MainMenuDialog::OnSecondProgram() { StartSibling(SECOND_PROGRAM); }

void MainMenuDialog::OnCommentary() {
  std::string document = platform::FileBeside(COMMENTARY_DOCUMENT);
  if (document.empty()) return;
  std::string program = platform::FindExecutable(document.c_str(), nullptr);
  if (program.empty()) return;
  platform::ShellOpenWith(program.c_str(), document.c_str(), GetSafeHwnd());
}

void MainMenuDialog::OnMakerHomePage() { OpenInBrowser(MakerHomePage(), GetSafeHwnd()); }

void MainMenuDialog::OnUserSettings() { UserSettingsDialog(this).DoModal(); }

void MainMenuDialog::OnUserPage() {
  Settings settings;
  if (!settings.Read(SettingsProgram::Launcher)) platform::ShowMessage(GetSafeHwnd(), SETTINGS_UNREADABLE, LAUNCHER_CAPTION);
  OpenInBrowser(settings.userUrl, GetSafeHwnd());
}

void MainMenuDialog::OnMonthlyUsage() { ShowMonthlyUsage(GetSafeHwnd()); }

void MainMenuDialog::OnUpdateProgram() {
  bool fetched = DownloadUpdateProgram();
  platform::ShowMessage(GetSafeHwnd(), fetched ? UPDATE_PROGRAM_FETCHED : UPDATE_PROGRAM_NOT_FETCHED,
                        platform::AfxGetAppName());
}
