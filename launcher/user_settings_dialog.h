// The user settings dialog (dialog template IDD_USER_SETTINGS): shows the stored user ID and the
// password (masked) and stores what the subscriber enters in the
// credentials file, from which both programs sign in.
#pragma once

#include "platform/dialog.h"

class UserSettingsDialog : public platform::CDialog {
 public:
  explicit UserSettingsDialog(platform::CWnd* parent = nullptr);

 protected:
  // Fills the fields from the credentials file; a missing file or line
  // leaves its field empty.
  bool OnInitDialog() override;
  // Stores the fields as they stand and closes; when they cannot be stored
  // (the file cannot be written, or a value is too long to read back),
  // says so and stays open, the file unchanged.
  void OnOK() override;
};
