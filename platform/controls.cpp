#include "platform/controls.h"

#include <vector>

#include "platform/wide_text.h"
#include "platform/win32.h"

#include <commctrl.h>

namespace platform {

namespace {

HWND Handle(WindowHandle window) { return static_cast<HWND>(window); }

LRESULT Send(WindowHandle window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  if (window == nullptr) return -1;
  return SendMessageW(Handle(window), message, wParam, lParam);
}

// Text of one row, asked by its length first (CB_GETLBTEXTLEN/LB_GETTEXTLEN)
// and then read (CB_GETLBTEXT/LB_GETTEXT).
std::string RowText(WindowHandle window, UINT lengthMessage, UINT textMessage, int row) {
  LRESULT length = Send(window, lengthMessage, static_cast<WPARAM>(row));
  if (length < 0) return std::string();
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
  if (Send(window, textMessage, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data())) < 0) {
    return std::string();
  }
  return ToNarrow(text.data());
}

std::string WindowText(HWND window) {
  if (window == nullptr) return std::string();
  int length = GetWindowTextLengthW(window);
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  return ToNarrow(text.data());
}

}  // namespace

bool CWnd::ShowWindow(int showState) {
  if (m_hWnd == nullptr) return false;
  return ::ShowWindow(Handle(m_hWnd), showState) != FALSE;
}

bool CWnd::EnableWindow(bool enable) {
  if (m_hWnd == nullptr) return false;
  return ::EnableWindow(Handle(m_hWnd), enable ? TRUE : FALSE) != FALSE;
}

bool CWnd::IsWindowEnabled() const { return m_hWnd != nullptr && ::IsWindowEnabled(Handle(m_hWnd)) != FALSE; }

void CWnd::SetWindowText(const char* text) {
  if (m_hWnd == nullptr) return;
  SetWindowTextW(Handle(m_hWnd), ToWide(text).c_str());
}

std::string CWnd::GetWindowText() const { return WindowText(Handle(m_hWnd)); }

void CWnd::SetDlgItemText(int id, const char* text) {
  if (m_hWnd == nullptr) return;
  SetDlgItemTextW(Handle(m_hWnd), id, ToWide(text).c_str());
}

std::string CWnd::GetDlgItemText(int id) const {
  if (m_hWnd == nullptr) return std::string();
  return WindowText(GetDlgItem(Handle(m_hWnd), id));
}

int CButton::GetCheck() const {
  return m_hWnd == nullptr ? BST_UNCHECKED : static_cast<int>(Send(m_hWnd, BM_GETCHECK));
}

void CButton::SetCheck(int checkState) { Send(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(checkState)); }

void CComboBox::ResetContent() { Send(m_hWnd, CB_RESETCONTENT); }

int CComboBox::AddString(const char* text) {
  std::wstring wide = ToWide(text);
  return static_cast<int>(Send(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int CComboBox::GetCount() const { return m_hWnd == nullptr ? 0 : static_cast<int>(Send(m_hWnd, CB_GETCOUNT)); }

int CComboBox::GetCurSel() const { return static_cast<int>(Send(m_hWnd, CB_GETCURSEL)); }

int CComboBox::SetCurSel(int row) {
  return static_cast<int>(Send(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(row)));
}

std::string CComboBox::GetLBText(int row) const { return RowText(m_hWnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, row); }

void CListBox::ResetContent() { Send(m_hWnd, LB_RESETCONTENT); }

int CListBox::AddString(const char* text) {
  std::wstring wide = ToWide(text);
  return static_cast<int>(Send(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int CListBox::InsertString(int row, const char* text) {
  std::wstring wide = ToWide(text);
  return static_cast<int>(
      Send(m_hWnd, LB_INSERTSTRING, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(wide.c_str())));
}

int CListBox::GetCount() const { return m_hWnd == nullptr ? 0 : static_cast<int>(Send(m_hWnd, LB_GETCOUNT)); }

int CListBox::GetSelItems(int maxRows, int* rows) const {
  if (m_hWnd == nullptr || maxRows <= 0) return 0;
  LRESULT count = Send(m_hWnd, LB_GETSELITEMS, static_cast<WPARAM>(maxRows), reinterpret_cast<LPARAM>(rows));
  return count < 0 ? 0 : static_cast<int>(count);
}

int CListBox::GetCaretIndex() const { return static_cast<int>(Send(m_hWnd, LB_GETCARETINDEX)); }

std::string CListBox::GetText(int row) const { return RowText(m_hWnd, LB_GETTEXTLEN, LB_GETTEXT, row); }

void CProgressCtrl::SetRange(int lower, int upper) { Send(m_hWnd, PBM_SETRANGE32, lower, upper); }

void CProgressCtrl::SetPos(int position) { Send(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(position)); }

}  // namespace platform
