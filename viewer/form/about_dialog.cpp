#include "viewer/form/about_dialog.h"

#include "resources/viewer/resource.h"

AboutDialog::AboutDialog() : CDialog(IDD_ABOUT) {}
