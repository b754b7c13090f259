#include "platform/dialog.h"

#include "platform/app.h"
#include "platform/message_box.h"
#include "platform/wide_text.h"
#include "platform/win32.h"

namespace platform {

namespace {

// A handler that throws must not unwind through the system's dialog code:
// the command ends here and the user is told.
constexpr char FAILED_COMMAND_MESSAGE[] = "アプリケーションエラーが発生しました。";

HWND Handle(WindowHandle window) { return static_cast<HWND>(window); }

// The private message of PostWake, and the timer of ShowAfter.
constexpr UINT WAKE_MESSAGE = WM_APP + 1;
constexpr UINT_PTR SHOW_TIMER = 1;

}  // namespace

// The dialog procedure of every CDialog: finds the object from the window
// and hands it the messages the dialog layer routes.
class DialogRouter {
 public:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(window, DWLP_USER, lParam);
      reinterpret_cast<CDialog*>(lParam)->m_hWnd = window;
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;
    try {
      return Route(*dialog, message, wParam, lParam);
    } catch (...) {
      ShowMessage(window, FAILED_COMMAND_MESSAGE, AfxGetAppTitle());
      return TRUE;
    }
  }

 private:
  // Returns the dialog procedure's answer: FALSE sends the message on to the
  // system's default dialog handling.
  static INT_PTR Route(CDialog& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_INITDIALOG:
        return dialog.OnInitDialog() ? TRUE : FALSE;
      case WM_COMMAND:
        // Menus (code 0) and accelerators (code 1) send no control handle;
        // both count as a plain command, like a button click.
        Command(dialog, LOWORD(wParam), lParam == 0 ? BN_CLICKED : HIWORD(wParam));
        return TRUE;
      case WM_HELP:
        // F1: the help command, routed like a menu's.
        Command(dialog, ID_HELP, BN_CLICKED);
        return TRUE;
      case WM_SYSCOMMAND:
        dialog.OnSysCommand(static_cast<unsigned>(wParam), lParam);
        return TRUE;
      case WM_PAINT:
        dialog.OnPaint();
        return TRUE;
      case WAKE_MESSAGE:
        dialog.OnWake();
        return TRUE;
      case WM_WINDOWPOSCHANGING:
        // The dialog manager shows a modal dialog as soon as it is idle:
        // held, it stays hidden.
        if (dialog.showHeld) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        return FALSE;
      case WM_TIMER:
        if (wParam != SHOW_TIMER) return FALSE;
        KillTimer(Handle(dialog.m_hWnd), SHOW_TIMER);
        dialog.showHeld = false;
        ShowWindow(Handle(dialog.m_hWnd), SW_SHOW);
        return TRUE;
      case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(dialog.OnQueryDragIcon());
      default:
        return FALSE;
    }
  }

  static void Command(CDialog& dialog, int id, int code) {
    if (dialog.OnCommand(id, code) || code != BN_CLICKED) return;
    if (id == IDOK) {
      dialog.OnOK();
    } else if (id == IDCANCEL) {
      dialog.OnCancel();
    }
  }
};

void DDX_Control(CDataExchange& dx, int id, CWnd& control) {
  control.Attach(GetDlgItem(Handle(dx.m_pDlgWnd->GetSafeHwnd()), id));
}

void DDX_Text(CDataExchange& dx, int id, std::string& value) {
  if (dx.m_bSaveAndValidate) {
    value = dx.m_pDlgWnd->GetDlgItemText(id);
  } else {
    dx.m_pDlgWnd->SetDlgItemText(id, value.c_str());
  }
}

CDialog::CDialog(int templateId, CWnd* parent) : templateId(templateId), parent(parent) {}

int CDialog::DoModal() {
  INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                   Handle(OwnerWindow()), DialogRouter::Procedure,
                                   reinterpret_cast<LPARAM>(this));
  m_hWnd = nullptr;
  return static_cast<int>(result);
}

WindowHandle CDialog::OwnerWindow() const {
  if (parent != nullptr) return parent->GetSafeHwnd();
  CWinApp* app = AfxGetApp();
  if (app == nullptr || app->m_pMainWnd == nullptr || app->m_pMainWnd == this) return nullptr;
  WindowHandle main = app->m_pMainWnd->GetSafeHwnd();
  return main != nullptr && IsWindow(Handle(main)) ? main : nullptr;
}

void CDialog::EndDialog(int result) {
  if (m_hWnd != nullptr) ::EndDialog(Handle(m_hWnd), result);
}

bool CDialog::UpdateData(bool saveAndValidate) {
  CDataExchange dx{this, saveAndValidate};
  DoDataExchange(dx);
  return true;
}

void CDialog::SetIcon(IconHandle icon, bool big) {
  if (m_hWnd == nullptr) return;
  SendMessageW(Handle(m_hWnd), WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

bool CDialog::HasSystemMenu() const {
  return m_hWnd != nullptr && GetSystemMenu(Handle(m_hWnd), FALSE) != nullptr;
}

void CDialog::AppendSystemMenuSeparator() {
  if (m_hWnd == nullptr) return;
  HMENU menu = GetSystemMenu(Handle(m_hWnd), FALSE);
  if (menu != nullptr) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

void CDialog::AppendSystemMenuItem(unsigned command, const char* text) {
  if (m_hWnd == nullptr) return;
  HMENU menu = GetSystemMenu(Handle(m_hWnd), FALSE);
  if (menu != nullptr) AppendMenuW(menu, MF_STRING, command, ToWide(text).c_str());
}

bool CDialog::IsIconic() const { return m_hWnd != nullptr && ::IsIconic(Handle(m_hWnd)) != FALSE; }

void CDialog::ShowAfter(unsigned delayMs) {
  if (m_hWnd == nullptr) return;
  showHeld = true;
  SetTimer(Handle(m_hWnd), SHOW_TIMER, delayMs, nullptr);
}

void CDialog::PostWake(WindowHandle dialog) { PostMessageW(Handle(dialog), WAKE_MESSAGE, 0, 0); }

void CDialog::OnWake() {}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange&) {}

bool CDialog::OnCommand(int, int) { return false; }

void CDialog::OnSysCommand(unsigned command, std::intptr_t param) {
  DefWindowProcW(Handle(m_hWnd), WM_SYSCOMMAND, command, param);
}

void CDialog::OnPaint() { DefWindowProcW(Handle(m_hWnd), WM_PAINT, 0, 0); }

IconHandle CDialog::OnQueryDragIcon() { return nullptr; }

void CDialog::PaintIconCentred(IconHandle icon) {
  HWND window = Handle(m_hWnd);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  SendMessageW(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(window, &client);
  int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, static_cast<HICON>(icon));
  EndPaint(window, &paint);
}

}  // namespace platform
