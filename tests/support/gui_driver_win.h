// Drives a real program's dialogs from a test process, the way a user's
// clicks and keys reach them: the driver sends the same messages the
// controls and the dialog manager send. Texts are code page 932. Every wait
// is bounded by the given time in milliseconds; a wait that runs out answers
// nullptr or false. Windows only.
//
//   GuiProgram program;
//   ASSERT_TRUE(program.Start(exePath, folder));
//   WindowHandle form = program.WaitForWindow("Tarvex");
//   SelectComboRow(form, 1000, 2);                // as if the user picked row 2
//   ClickButton(form, 3);                          // posted: may open a box
//   WindowHandle box = program.WaitForModalBox();
//   EXPECT_EQ(MessageBoxText(box), "...");
//   PressButton(box, IDOK_BUTTON);
//
// Not visible from outside under Wine: another process's system menu (its
// items cannot be read; its commands can be posted) and the icons a window
// answers to WM_GETICON or WM_QUERYDRAGICON.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace test_support {

using WindowHandle = void*;  // an HWND

constexpr int DEFAULT_WAIT_MS = 20000;  // generous: Wine starts slowly on a busy machine
constexpr int IDOK_BUTTON = 1;
constexpr int IDCANCEL_BUTTON = 2;
constexpr int IDYES_BUTTON = 6;
constexpr int IDNO_BUTTON = 7;

// One started program. The destructor ends it if it still runs.
class GuiProgram {
 public:
  GuiProgram() = default;
  ~GuiProgram();
  GuiProgram(const GuiProgram&) = delete;
  GuiProgram& operator=(const GuiProgram&) = delete;

  // Starts `program` (a full path) with `arguments` in the working folder
  // `folder`; the program inherits this process's environment. Paths may be
  // Windows paths or absolute Linux paths (see WindowsPath).
  bool Start(const std::string& program, const std::string& folder, const std::string& arguments = "");
  // The same for Windows paths in UTF-16, which may name folders Shift-JIS
  // cannot ("José").
  bool Start(const std::wstring& program, const std::wstring& folder);

  // Takes over a program this test did not start (one that another program
  // started, such as the viewer started from the launcher's menu): the
  // process of the first visible top-level window captioned `caption`.
  // Returns false when no such window appeared in time.
  bool AttachToWindow(const std::string& caption, int timeoutMs = DEFAULT_WAIT_MS);

  // A visible top-level window of the program whose caption is `caption`.
  WindowHandle WaitForWindow(const std::string& caption, int timeoutMs = DEFAULT_WAIT_MS) const;

  // A visible, enabled top-level dialog of the program whose owner window is
  // disabled: a message box, or another modal dialog over the main one. A
  // progress window (a dialog showing a progress bar) is none.
  WindowHandle WaitForModalBox(int timeoutMs = DEFAULT_WAIT_MS) const;

  // A visible, enabled top-level dialog of the program other than `main`
  // and other than a progress window: also a box shown without an owner,
  // which leaves `main` enabled.
  WindowHandle WaitForDialogBeside(WindowHandle main, int timeoutMs = DEFAULT_WAIT_MS) const;

  // A visible top-level dialog of the program that shows a progress bar.
  WindowHandle WaitForProgressWindow(int timeoutMs = DEFAULT_WAIT_MS) const;

  // True once no modal box (as WaitForModalBox sees one) is open any more.
  bool WaitForNoModalBox(int timeoutMs = DEFAULT_WAIT_MS) const;

  // True once the program has ended; its exit code goes to `exitCode`.
  bool WaitForExit(int timeoutMs = DEFAULT_WAIT_MS, unsigned* exitCode = nullptr);

  bool IsRunning() const;
  // Ends the program at once (for cleanup after a failed test).
  void Terminate();

 private:
  bool Launch(const std::wstring& application, const std::wstring& workingFolder, const std::wstring& arguments);

  void* process = nullptr;
  unsigned processId = 0;
};

// "Z:\\work\\x" for "/work/x" (the prefix's drive Z: is the Linux root);
// a path that is not an absolute Linux path comes back unchanged.
std::string WindowsPath(const std::string& path);

// The Windows path of `relative` (starting with "/") in this test's build
// folder, which ctest names in TARVEX_BUILD_DIR.
std::string BuildPath(const std::string& relative);

// The control `id` of `dialog`, or nullptr.
WindowHandle Control(WindowHandle dialog, int id);

// Window states and texts.
bool AcceptsInput(WindowHandle window);  // enabled
bool IsEnabled(WindowHandle dialog, int id);
bool IsVisible(WindowHandle dialog, int id);
std::string WindowText(WindowHandle window);
std::string ControlText(WindowHandle dialog, int id);
// Sets the text of an edit field as typing would leave it.
void SetControlText(WindowHandle dialog, int id, const std::string& text);

// Combo boxes: select a row and tell the dialog, as a user's pick does
// (CB_SETCURSEL, then CBN_SELCHANGE posted to the dialog).
void SelectComboRow(WindowHandle dialog, int id, int row);
int ComboSelection(WindowHandle dialog, int id);
std::vector<std::string> ComboTexts(WindowHandle dialog, int id);

// List boxes (multiple selection): set one row's selection, the caret row,
// and a double-click on the caret row (LBN_DBLCLK posted to the dialog).
void SetListSelection(WindowHandle dialog, int id, int row, bool selected);
void SetListCaret(WindowHandle dialog, int id, int row);
void DoubleClickList(WindowHandle dialog, int id);
std::vector<std::string> ListTexts(WindowHandle dialog, int id);
std::vector<int> ListSelection(WindowHandle dialog, int id);
int ListCaret(WindowHandle dialog, int id);

// Buttons: a click (BN_CLICKED posted to the dialog), check state.
void ClickButton(WindowHandle dialog, int id);
void SetCheck(WindowHandle dialog, int id, bool checked);
bool IsChecked(WindowHandle dialog, int id);

// Keyboard focus through the dialog manager (WM_NEXTDLGCTL), so the
// default button follows as when the user tabs to the control.
void FocusControl(WindowHandle dialog, int id);
// The dialog's control id that has the keyboard focus, or -1 when no control
// of it has gained the focus within the default wait (a newly shown window is
// activated asynchronously, so the focus may arrive after the window does).
int FocusedControl(WindowHandle dialog);
// Enter, Escape and F1 as the dialog manager sees them: key messages posted to
// the focused control of the dialog (the dialog when none has the focus).
void PressEnter(WindowHandle dialog);
void PressEscape(WindowHandle dialog);
// F1, the help key, the same way.
void PressF1(WindowHandle dialog);

// A command as a menu sends it: WM_COMMAND(id, 0) posted to the dialog.
void PostCommand(WindowHandle dialog, int id);
// A system menu command (WM_SYSCOMMAND posted).
void PostSystemCommand(WindowHandle dialog, unsigned command);

// Message boxes: the message text (the box's first static text that is not
// empty; icons and pictures are skipped) and pressing one of its buttons
// (posted). Works for any dialog: an about box gives its first text line.
std::string MessageBoxText(WindowHandle box);
void PressButton(WindowHandle box, int buttonId);

// True once `window` no longer exists.
bool WaitForWindowGone(WindowHandle window, int timeoutMs = DEFAULT_WAIT_MS);

// Posted messages are handled later by the program: tests wait for the
// state they expect. Returns true as soon as `condition` holds, polling
// every few milliseconds; false when it did not hold in time.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = DEFAULT_WAIT_MS);

}  // namespace test_support
