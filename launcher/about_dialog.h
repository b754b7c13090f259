// The launcher's About box (dialog template IDD_ABOUT_BOX): product, version and makers.
#pragma once

#include "platform/dialog.h"

class AboutDialog : public platform::CDialog {
 public:
  explicit AboutDialog(platform::CWnd* parent = nullptr);
};
