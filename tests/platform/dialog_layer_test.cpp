// The dialog layer driven from outside, through the GUI driver, the way the
// programs' GUI tests drive them: dialog_host.exe runs a dialog of the
// layer, the test sends what a user's clicks and keys send and reads the
// controls and the host's event file.
#include <gtest/gtest.h>

#include <string>

#include "tests/platform/dialog_host_ids.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/test_files.h"

namespace {

using namespace test_support;

constexpr char HOST_CAPTION[] = "ダイアログ試験";
constexpr char ABOUT_CAPTION[] = "試験のﾊﾞｰｼﾞｮﾝ情報";
constexpr unsigned ABOUT_COMMAND = 0x10;
constexpr unsigned CLOSE_COMMAND = 0xF060;

std::string HostPath() {
  return BuildPath("/tests/platform/dialog_host.exe");
}

class DialogLayerTest : public ::testing::Test {
 protected:
  void StartHost(const std::string& initialTexts = "") {
    folder = MakeScratchFolder("dialog-layer");
    if (!initialTexts.empty()) {
      ASSERT_TRUE(WriteBytes(folder + "/host_initial.txt", initialTexts));
    }
    ASSERT_TRUE(host.Start(HostPath(), folder));
    dialog = host.WaitForWindow(HOST_CAPTION);
    ASSERT_NE(dialog, nullptr) << "the host's dialog did not appear";
  }

  std::string Events() const { return ReadBytes(folder + "/host_events.txt"); }

  bool StatusBecomes(const std::string& expected) {
    return WaitUntil([&] { return ControlText(dialog, HOST_STATUS) == expected; });
  }

  void EndHostWithEscape() {
    PressEscape(dialog);
    EXPECT_TRUE(host.WaitForExit());
  }

  std::string folder;
  GuiProgram host;
  WindowHandle dialog = nullptr;
};

TEST_F(DialogLayerTest, ComboWrapperKeepsJapaneseRowsAndRoutesSelectionChange) {
  StartHost();
  EXPECT_EQ(ComboTexts(dialog, HOST_COMBO),
            (std::vector<std::string>{"北海道", "東北", "表計算", "ﾃｽﾄ"}));
  EXPECT_EQ(ComboSelection(dialog, HOST_COMBO), 0);
  EXPECT_EQ(ControlText(dialog, HOST_STATUS), "icon|試験のﾊﾞｰｼﾞｮﾝ情報(&A)...|");  // the resource loaders

  SelectComboRow(dialog, HOST_COMBO, 2);
  EXPECT_TRUE(StatusBecomes("combo:表計算"));
  SelectComboRow(dialog, HOST_COMBO, 3);
  EXPECT_TRUE(StatusBecomes("combo:ﾃｽﾄ"));
  EndHostWithEscape();
}

TEST_F(DialogLayerTest, ListWrapperReadsCaretRowAndSelectedRows) {
  StartHost();
  EXPECT_EQ(ListTexts(dialog, HOST_LIST),
            (std::vector<std::string>{"47401 稚内", "47402 北見枝幸", "ソ連"}));
  SetListSelection(dialog, HOST_LIST, 0, true);
  SetListSelection(dialog, HOST_LIST, 2, true);
  SetListCaret(dialog, HOST_LIST, 2);
  EXPECT_EQ(ListSelection(dialog, HOST_LIST), (std::vector<int>{0, 2}));
  EXPECT_EQ(ListCaret(dialog, HOST_LIST), 2);

  DoubleClickList(dialog, HOST_LIST);
  EXPECT_TRUE(StatusBecomes("caret:2 ソ連 selected:0,2"));

  SetListSelection(dialog, HOST_LIST, 0, false);
  SetListCaret(dialog, HOST_LIST, 1);
  DoubleClickList(dialog, HOST_LIST);
  EXPECT_TRUE(StatusBecomes("caret:1 47402 北見枝幸 selected:2"));
  EndHostWithEscape();
}

TEST_F(DialogLayerTest, CheckBoxHandlerEnablesAndShowsControls) {
  StartHost();
  EXPECT_FALSE(IsChecked(dialog, HOST_CHECK));
  EXPECT_TRUE(IsEnabled(dialog, HOST_MESSAGE_BUTTON));

  ClickButton(dialog, HOST_CHECK);  // the notification alone: state stays unchecked
  EXPECT_TRUE(WaitUntil([&] { return !IsVisible(dialog, HOST_STATUS); }));
  EXPECT_FALSE(IsEnabled(dialog, HOST_MESSAGE_BUTTON));

  SetCheck(dialog, HOST_CHECK, true);
  ClickButton(dialog, HOST_CHECK);
  EXPECT_TRUE(WaitUntil([&] { return IsVisible(dialog, HOST_STATUS); }));
  EXPECT_TRUE(IsEnabled(dialog, HOST_MESSAGE_BUTTON));
  EXPECT_TRUE(IsChecked(dialog, HOST_CHECK));
  EndHostWithEscape();
}

TEST_F(DialogLayerTest, TextExchangeFillsEditsAndReadsThemBackOnEnter) {
  StartHost("利用者ソ\n秘密の表\n");
  EXPECT_EQ(ControlText(dialog, HOST_USER_EDIT), "利用者ソ");
  EXPECT_EQ(ControlText(dialog, HOST_PASSWORD_EDIT), "秘密の表");

  SetControlText(dialog, HOST_USER_EDIT, "新しい利用者");
  SetControlText(dialog, HOST_PASSWORD_EDIT, "");
  FocusControl(dialog, HOST_USER_EDIT);
  EXPECT_EQ(FocusedControl(dialog), HOST_USER_EDIT);
  PressEnter(dialog);  // the dialog manager turns it into IDOK

  ASSERT_TRUE(host.WaitForExit());
  EXPECT_EQ(Events(), "ok 新しい利用者|\nmodal 1\n");
}

TEST_F(DialogLayerTest, EscapeAndCloseEndTheDialogWithCancel) {
  StartHost("利用者\n");
  SetControlText(dialog, HOST_USER_EDIT, "変更");
  EndHostWithEscape();
  EXPECT_EQ(Events(), "modal 2\n");

  StartHost();
  PostSystemCommand(dialog, CLOSE_COMMAND);
  ASSERT_TRUE(host.WaitForExit());
  EXPECT_EQ(Events(), "modal 2\n");
}

TEST_F(DialogLayerTest, MessageBoxIsReadAndAnsweredFromOutside) {
  StartHost();
  ClickButton(dialog, HOST_MESSAGE_BUTTON);
  WindowHandle box = host.WaitForModalBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "dialog_host");  // the program's name is the caption
  EXPECT_EQ(MessageBoxText(box), "ボタンが押されました。");
  EXPECT_FALSE(AcceptsInput(dialog));  // the box is modal over the form

  PressButton(box, IDOK_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(box));
  EXPECT_TRUE(host.IsRunning());
  EndHostWithEscape();
}

TEST_F(DialogLayerTest, HandlerExceptionIsReportedAndTheDialogGoesOn) {
  StartHost();
  ClickButton(dialog, HOST_THROW_BUTTON);
  WindowHandle box = host.WaitForModalBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "Dialog Host");  // the program's title, not its name
  EXPECT_EQ(MessageBoxText(box), "アプリケーションエラーが発生しました。");
  PressButton(box, IDOK_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(box));

  SelectComboRow(dialog, HOST_COMBO, 1);
  EXPECT_TRUE(StatusBecomes("combo:東北"));
  EndHostWithEscape();
}

TEST_F(DialogLayerTest, CommandWithoutControlReachesItsHandler) {
  StartHost();
  PostCommand(dialog, HOST_HIDDEN_COMMAND);
  EXPECT_TRUE(WaitUntil([&] { return Events() == "hidden command\n"; }));
  EndHostWithEscape();
}

TEST_F(DialogLayerTest, SystemMenuItemOpensTheAboutBoxForTheWholeCommandRange) {
  StartHost();
  for (unsigned command : {ABOUT_COMMAND, ABOUT_COMMAND + 0xF}) {
    PostSystemCommand(dialog, command);
    WindowHandle about = host.WaitForModalBox();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), ABOUT_CAPTION);
    EXPECT_EQ(MessageBoxText(about), "dialog_host Version 1.0");  // past the icon
    PressButton(about, IDOK_BUTTON);
    EXPECT_TRUE(WaitForWindowGone(about));
  }
  EXPECT_TRUE(WaitUntil([&] { return Events() == "about 1\nabout 1\n"; }));
  EndHostWithEscape();
}

}  // namespace
