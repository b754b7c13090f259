#include "launcher/about_dialog.h"

#include "launcher/launcher_ids.h"

AboutDialog::AboutDialog(platform::CWnd* parent) : platform::CDialog(IDD_ABOUT_BOX, parent) {}
