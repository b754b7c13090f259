#include "tests/support/gui_driver_win.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/wide_text.h"
#include "platform/win32.h"
#include "tests/support/test_files.h"

namespace test_support {

namespace {

using platform::ToNarrow;
using platform::ToWide;

constexpr int POLL_MS = 20;
// Bound of every message sent to the program: a hung program fails the
// test instead of hanging it. The bound alone judges it: the system's own
// "hung" test (no message taken for five seconds) also holds for a program
// whose box has just appeared after a long blocking exchange.
constexpr UINT SEND_TIMEOUT_MS = 5000;
// How long a program start that fails is tried again.
constexpr int LAUNCH_RETRY_MS = 3000;
constexpr wchar_t DIALOG_CLASS[] = L"#32770";
constexpr wchar_t PROGRESS_CLASS_NAME[] = L"msctls_progress32";

HWND Handle(WindowHandle window) { return static_cast<HWND>(window); }

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (window == nullptr ||
      SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, SEND_TIMEOUT_MS, &result) == 0) {
    return -1;
  }
  return static_cast<LRESULT>(result);
}

HWND Child(WindowHandle dialog, int id) { return dialog == nullptr ? nullptr : GetDlgItem(Handle(dialog), id); }

void PostNotification(WindowHandle dialog, int id, int code) {
  HWND control = Child(dialog, id);
  PostMessageW(Handle(dialog), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

std::string RowText(HWND control, UINT lengthMessage, UINT textMessage, int row) {
  LRESULT length = Send(control, lengthMessage, static_cast<WPARAM>(row));
  if (length < 0) return std::string();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  if (Send(control, textMessage, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&text[0])) < 0) {
    return std::string();
  }
  return ToNarrow(text.c_str());
}

std::vector<std::string> RowTexts(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage) {
  std::vector<std::string> rows;
  LRESULT count = Send(control, countMessage);
  for (int row = 0; row < count; ++row) rows.push_back(RowText(control, lengthMessage, textMessage, row));
  return rows;
}

bool IsClass(HWND window, const wchar_t* className) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return lstrcmpiW(name, className) == 0;
}

// Process id that FindTopLevel takes for "any process".
constexpr DWORD ANY_PROCESS = 0;

bool HasCaption(HWND window, const std::wstring& caption) {
  if (!IsWindowVisible(window)) return false;
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return caption == text;
}

// The top-level windows of one process (or of any) that pass `accept`.
struct WindowSearch {
  DWORD processId;
  std::function<bool(HWND)> accept;
  HWND found;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  bool ofProcess = search->processId == ANY_PROCESS || owner == search->processId;
  if (!ofProcess || !search->accept(window)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindTopLevel(DWORD processId, const std::function<bool(HWND)>& accept) {
  WindowSearch search{processId, accept, nullptr};
  EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The first top-level window FindTopLevel accepts within `timeoutMs`;
// nullptr when none came.
HWND WaitForTopLevel(DWORD processId, const std::function<bool(HWND)>& accept, int timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindTopLevel(processId, accept);
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

// A dialog that shows a progress bar: a window that tells how a long
// command goes, not a box that waits for an answer.
bool IsProgressWindow(HWND window) {
  return IsClass(window, DIALOG_CLASS) && FindWindowExW(window, nullptr, PROGRESS_CLASS_NAME, nullptr) != nullptr;
}

bool IsModalBox(HWND window) {
  if (!IsClass(window, DIALOG_CLASS) || !IsWindowVisible(window) || !IsWindowEnabled(window)) return false;
  if (IsProgressWindow(window)) return false;
  HWND owner = GetWindow(window, GW_OWNER);
  return owner != nullptr && !IsWindowEnabled(owner);
}

HWND FocusOf(HWND dialog) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  if (!GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndFocus;
}

// WM_KEYF1, which the mingw headers lack: for a key press of F1 the system
// posts it after the key-down to the focused window, whose default handling
// turns it into WM_HELP. Posted key messages alone do not make it do so.
constexpr UINT KEY_F1_MESSAGE = 0x004D;

// Posts a press of `key` to the focused control of `dialog` (the dialog when
// none has the focus): key-down, then `followUp` (0: none) as the system
// would post it, then key-up.
void PostKey(WindowHandle dialog, UINT key, UINT followUp = 0) {
  HWND focus = FocusOf(Handle(dialog));
  HWND target = focus != nullptr && IsChild(Handle(dialog), focus) ? focus : Handle(dialog);
  UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  PostMessageW(target, WM_KEYDOWN, key, 1 | (scan << 16));
  if (followUp != 0) PostMessageW(target, followUp, 0, 0);
  PostMessageW(target, WM_KEYUP, key, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

struct TextSearch {
  std::string text;
};

BOOL CALLBACK VisitStatic(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TextSearch*>(context);
  if (!IsClass(window, L"Static")) return TRUE;
  // An icon or picture holds its resource id as window text, not a message.
  LONG_PTR kind = GetWindowLongPtrW(window, GWL_STYLE) & SS_TYPEMASK;
  if (kind == SS_ICON || kind == SS_BITMAP) return TRUE;
  std::string text = WindowText(window);
  if (text.empty()) return TRUE;
  search->text = text;
  return FALSE;
}

}  // namespace

GuiProgram::~GuiProgram() {
  Terminate();
}

bool GuiProgram::Start(const std::string& program, const std::string& folder, const std::string& arguments) {
  return Launch(ToWide(WindowsPath(program).c_str()), ToWide(WindowsPath(folder).c_str()), ToWide(arguments.c_str()));
}

bool GuiProgram::Start(const std::wstring& program, const std::wstring& folder) {
  return Launch(program, folder, std::wstring());
}

bool GuiProgram::Launch(const std::wstring& application, const std::wstring& workingFolder,
                        const std::wstring& arguments) {
  Terminate();
  std::wstring commandLine = L"\"" + application + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  DWORD error = ERROR_SUCCESS;
  // Under a Wine loaded with other tests' programs a start has failed for a
  // moment, so a failure is tried again briefly before the test is told, and
  // the system's reason is printed for the log.
  bool launched = WaitUntil(
      [&] {
        if (CreateProcessW(application.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                           workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &started)) {
          return true;
        }
        error = GetLastError();
        return false;
      },
      LAUNCH_RETRY_MS);
  if (!launched) {
    std::fprintf(stderr, "could not start %ls: error %lu\n", application.c_str(), error);
    return false;
  }
  CloseHandle(started.hThread);
  process = started.hProcess;
  processId = started.dwProcessId;
  return true;
}

bool GuiProgram::AttachToWindow(const std::string& caption, int timeoutMs) {
  Terminate();
  std::wstring wanted = ToWide(caption.c_str());
  HWND found = WaitForTopLevel(ANY_PROCESS, [&](HWND window) { return HasCaption(window, wanted); }, timeoutMs);
  if (found == nullptr) return false;
  DWORD owner = 0;
  GetWindowThreadProcessId(found, &owner);
  process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, owner);
  if (process == nullptr) return false;
  processId = owner;
  return true;
}

WindowHandle GuiProgram::WaitForWindow(const std::string& caption, int timeoutMs) const {
  std::wstring wanted = ToWide(caption.c_str());
  return WaitForTopLevel(processId, [&](HWND window) { return HasCaption(window, wanted); }, timeoutMs);
}

WindowHandle GuiProgram::WaitForModalBox(int timeoutMs) const {
  return WaitForTopLevel(processId, IsModalBox, timeoutMs);
}

WindowHandle GuiProgram::WaitForDialogBeside(WindowHandle main, int timeoutMs) const {
  auto isOtherDialog = [&](HWND window) {
    return window != Handle(main) && IsClass(window, DIALOG_CLASS) && IsWindowVisible(window) &&
           IsWindowEnabled(window) && !IsProgressWindow(window);
  };
  return WaitForTopLevel(processId, isOtherDialog, timeoutMs);
}

WindowHandle GuiProgram::WaitForProgressWindow(int timeoutMs) const {
  auto isShownProgress = [](HWND window) { return IsWindowVisible(window) && IsProgressWindow(window); };
  return WaitForTopLevel(processId, isShownProgress, timeoutMs);
}

bool GuiProgram::WaitForNoModalBox(int timeoutMs) const {
  return WaitUntil([&] { return FindTopLevel(processId, IsModalBox) == nullptr; }, timeoutMs);
}

bool GuiProgram::WaitForExit(int timeoutMs, unsigned* exitCode) {
  if (process == nullptr) return true;
  if (WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  if (exitCode != nullptr) *exitCode = code;
  return true;
}

bool GuiProgram::IsRunning() const {
  return process != nullptr && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

void GuiProgram::Terminate() {
  if (process == nullptr) return;
  if (IsRunning()) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, static_cast<DWORD>(DEFAULT_WAIT_MS));
  }
  CloseHandle(process);
  process = nullptr;
  processId = 0;
}

std::string WindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string windows = "Z:" + path;
  for (char& c : windows) {
    if (c == '/') c = '\\';
  }
  return windows;
}

std::string BuildPath(const std::string& relative) {
  return WindowsPath(EnvironmentValue("TARVEX_BUILD_DIR") + relative);
}

WindowHandle Control(WindowHandle dialog, int id) { return Child(dialog, id); }

bool AcceptsInput(WindowHandle window) { return window != nullptr && IsWindowEnabled(Handle(window)); }

bool IsEnabled(WindowHandle dialog, int id) {
  HWND control = Child(dialog, id);
  return control != nullptr && IsWindowEnabled(control);
}

bool IsVisible(WindowHandle dialog, int id) {
  HWND control = Child(dialog, id);
  return control != nullptr && IsWindowVisible(control);
}

std::string WindowText(WindowHandle window) {
  LRESULT length = Send(Handle(window), WM_GETTEXTLENGTH);
  if (length < 0) return std::string();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  Send(Handle(window), WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(&text[0]));
  return ToNarrow(text.c_str());
}

std::string ControlText(WindowHandle dialog, int id) { return WindowText(Child(dialog, id)); }

void SetControlText(WindowHandle dialog, int id, const std::string& text) {
  std::wstring wide = ToWide(text.c_str());
  Send(Child(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void SelectComboRow(WindowHandle dialog, int id, int row) {
  Send(Child(dialog, id), CB_SETCURSEL, static_cast<WPARAM>(row));
  PostNotification(dialog, id, CBN_SELCHANGE);
}

int ComboSelection(WindowHandle dialog, int id) { return static_cast<int>(Send(Child(dialog, id), CB_GETCURSEL)); }

std::vector<std::string> ComboTexts(WindowHandle dialog, int id) {
  return RowTexts(Child(dialog, id), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

void SetListSelection(WindowHandle dialog, int id, int row, bool selected) {
  Send(Child(dialog, id), LB_SETSEL, selected ? TRUE : FALSE, static_cast<LPARAM>(row));
}

void SetListCaret(WindowHandle dialog, int id, int row) {
  Send(Child(dialog, id), LB_SETCARETINDEX, static_cast<WPARAM>(row), FALSE);
}

void DoubleClickList(WindowHandle dialog, int id) { PostNotification(dialog, id, LBN_DBLCLK); }

std::vector<std::string> ListTexts(WindowHandle dialog, int id) {
  return RowTexts(Child(dialog, id), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<int> ListSelection(WindowHandle dialog, int id) {
  std::vector<int> rows;
  HWND control = Child(dialog, id);
  LRESULT count = Send(control, LB_GETCOUNT);
  for (int row = 0; row < count; ++row) {
    if (Send(control, LB_GETSEL, static_cast<WPARAM>(row)) > 0) rows.push_back(row);
  }
  return rows;
}

int ListCaret(WindowHandle dialog, int id) { return static_cast<int>(Send(Child(dialog, id), LB_GETCARETINDEX)); }

void ClickButton(WindowHandle dialog, int id) { PostNotification(dialog, id, BN_CLICKED); }

void SetCheck(WindowHandle dialog, int id, bool checked) {
  Send(Child(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool IsChecked(WindowHandle dialog, int id) { return Send(Child(dialog, id), BM_GETCHECK) == BST_CHECKED; }

void FocusControl(WindowHandle dialog, int id) {
  Send(Handle(dialog), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Child(dialog, id)), TRUE);
}

int FocusedControl(WindowHandle dialog) {
  HWND focus = nullptr;
  auto focusInDialog = [&] {
    focus = FocusOf(Handle(dialog));
    return focus != nullptr && IsChild(Handle(dialog), focus);
  };
  if (!WaitUntil(focusInDialog)) return -1;
  return GetDlgCtrlID(focus);
}

void PressEnter(WindowHandle dialog) { PostKey(dialog, VK_RETURN); }

void PressEscape(WindowHandle dialog) { PostKey(dialog, VK_ESCAPE); }

void PressF1(WindowHandle dialog) { PostKey(dialog, VK_F1, KEY_F1_MESSAGE); }

void PostCommand(WindowHandle dialog, int id) { PostMessageW(Handle(dialog), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void PostSystemCommand(WindowHandle dialog, unsigned command) {
  PostMessageW(Handle(dialog), WM_SYSCOMMAND, command, 0);
}

std::string MessageBoxText(WindowHandle box) {
  TextSearch search;
  EnumChildWindows(Handle(box), VisitStatic, reinterpret_cast<LPARAM>(&search));
  return search.text;
}

void PressButton(WindowHandle box, int buttonId) { PostNotification(box, buttonId, BN_CLICKED); }

bool WaitForWindowGone(WindowHandle window, int timeoutMs) {
  return WaitUntil([&] { return !IsWindow(Handle(window)); }, timeoutMs);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(POLL_MS));
  }
  return true;
}

}  // namespace test_support
