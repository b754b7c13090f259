// The launcher's About box (template 100): product, version and makers.
#pragma once

#include "platform/dialog.h"

class AboutDialog : public platform::CDialog {
 public:
  explicit AboutDialog(platform::CWnd* parent = nullptr);
};
