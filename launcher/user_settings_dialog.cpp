#include "launcher/user_settings_dialog.h"

#include "common/credentials_file.h"
#include "launcher/launcher_ids.h"
#include "launcher/launcher_texts.h"
#include "platform/message_box.h"

namespace {
constexpr char CREDENTIALS_NOT_SAVED[] = "ユーザー設定を保存できませんでした。";
}  // namespace

UserSettingsDialog::UserSettingsDialog(platform::CWnd* parent)
    : platform::CDialog(IDD_USER_SETTINGS, parent) {}

bool UserSettingsDialog::OnInitDialog() {
  platform::CDialog::OnInitDialog();
  std::string storedId;
  std::string storedPassword;
  CredentialsFile::Read(storedId, storedPassword);
  SetDlgItemText(IDC_USER_ID, storedId.c_str());
  SetDlgItemText(IDC_PASSWORD, storedPassword.c_str());
  return true;
}

void UserSettingsDialog::OnOK() {
  std::string enteredId = GetDlgItemText(IDC_USER_ID);
  std::string enteredPassword = GetDlgItemText(IDC_PASSWORD);
  if (!CredentialsFile::Write(enteredId, enteredPassword)) {
    platform::ShowMessage(GetSafeHwnd(), CREDENTIALS_NOT_SAVED, LAUNCHER_CAPTION);
    return;
  }
  platform::CDialog::OnOK();
}
