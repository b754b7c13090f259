// AboutDialog: the about box (dialog template IDD_ABOUT), opened from the form's system
// menu and closed with OK.
#pragma once

#include "platform/dialog.h"

class AboutDialog : public platform::CDialog {
 public:
  AboutDialog();
};
