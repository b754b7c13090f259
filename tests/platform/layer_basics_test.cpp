// Parts of the dialog layer that need no running dialog: the program
// object's start, the program's name, a template that does not exist, and
// wrappers that are not bound to a control.
#include <gtest/gtest.h>

#include "platform/app.h"
#include "platform/dialog.h"

namespace {

using namespace platform;

class CountingApp : public CWinApp {
 public:
  bool InitInstance() override {
    ++runs;
    return false;
  }
  int runs = 0;
};

TEST(ProgramObject, RunApplicationRunsTheOneApplicationObjectOnce) {
  EXPECT_EQ(AfxGetApp(), nullptr);
  EXPECT_EQ(RunApplication(), 1);  // no application object: nothing to run
  {
    CountingApp app;
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_EQ(RunApplication(), 0);
    EXPECT_EQ(app.runs, 1);
  }
  EXPECT_EQ(AfxGetApp(), nullptr);
}

class TitledApp : public CWinApp {
 public:
  TitledApp() : CWinApp("Titled") {}
  bool InitInstance() override { return false; }
};

TEST(ProgramObject, NameIsTheExecutableWithoutFolderAndExtension) {
  EXPECT_STREQ(AfxGetAppName(), "platform_layer_test");
}

TEST(ProgramObject, TitleIsTheApplicationsOwnElseTheName) {
  EXPECT_STREQ(AfxGetAppTitle(), "platform_layer_test");
  {
    CountingApp untitled;
    EXPECT_STREQ(AfxGetAppTitle(), "platform_layer_test");
  }
  {
    TitledApp titled;
    EXPECT_STREQ(AfxGetAppTitle(), "Titled");
    EXPECT_STREQ(AfxGetAppName(), "platform_layer_test");
  }
}

TEST(Resources, MissingResourcesGiveNothing) {
  EXPECT_EQ(LoadString(101), "");
  EXPECT_EQ(LoadIcon(128), nullptr);
}

TEST(Dialog, MissingTemplateEndsDoModalAtOnce) {
  CDialog dialog(4321);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

TEST(Wrappers, UnboundWrappersAnswerAsEmptyControls) {
  CComboBox combo;
  CListBox list;
  CButton button;
  combo.ResetContent();
  EXPECT_EQ(combo.GetCount(), 0);
  EXPECT_EQ(combo.GetCurSel(), CB_ERR);
  EXPECT_EQ(combo.GetLBText(0), "");
  EXPECT_EQ(list.GetCount(), 0);
  int rows[4] = {};
  EXPECT_EQ(list.GetSelItems(4, rows), 0);
  EXPECT_EQ(list.GetCaretIndex(), LB_ERR);
  EXPECT_EQ(list.GetText(0), "");
  EXPECT_EQ(button.GetCheck(), BST_UNCHECKED);
  EXPECT_FALSE(button.IsWindowEnabled());
  EXPECT_EQ(button.GetWindowText(), "");
}

}  // namespace
