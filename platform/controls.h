// Windows and control wrappers of the dialog layer. A wrapper holds the
// window handle of one control of a running dialog; DDX_Control binds it
// (dialog.h). Every text goes in and comes out as code page 932 bytes.
// Operations on an unbound wrapper do nothing and answer as for an empty
// control (0, -1, "", false).
#pragma once

#include <string>

#include "platform/dialog_codes.h"
#include "platform/handles.h"

namespace platform {

// A window: a dialog or one of its controls.
class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The window handle; nullptr while the wrapper is not bound or the dialog
  // is not running.
  WindowHandle GetSafeHwnd() const { return m_hWnd; }

  // Binds the wrapper to a window (nullptr unbinds).
  void Attach(WindowHandle window) { m_hWnd = window; }

  // SW_SHOW or SW_HIDE; returns whether the window was visible before.
  bool ShowWindow(int showState);
  // Enables or disables input; returns whether it was disabled before.
  bool EnableWindow(bool enable = true);
  bool IsWindowEnabled() const;

  void SetWindowText(const char* text);
  std::string GetWindowText() const;

  // Text of the child control `id` (edit fields, labels).
  void SetDlgItemText(int id, const char* text);
  std::string GetDlgItemText(int id) const;

 protected:
  WindowHandle m_hWnd = nullptr;
};

// Push button, check box or radio button.
class CButton : public CWnd {
 public:
  // BST_CHECKED or BST_UNCHECKED.
  int GetCheck() const;
  void SetCheck(int checkState);
};

// Label or picture.
class CStatic : public CWnd {};

// Drop-down list. Row numbers start at 0.
class CComboBox : public CWnd {
 public:
  void ResetContent();
  // Appends a row (the templates use no sorted combos); returns its row
  // number, or CB_ERR.
  int AddString(const char* text);
  int GetCount() const;
  // The selected row, or CB_ERR when none is selected.
  int GetCurSel() const;
  // Selects a row (CB_ERR or an out-of-range row clears the selection);
  // sends no selection-change notification. Returns the row or CB_ERR.
  int SetCurSel(int row);
  // Text of a row; "" for a row that does not exist.
  std::string GetLBText(int row) const;
};

// Multiple-selection list box. Row numbers start at 0.
class CListBox : public CWnd {
 public:
  void ResetContent();
  // Inserts a row where the list's style puts it; returns its row number,
  // or LB_ERR.
  int AddString(const char* text);
  // Inserts a row before `row` (-1: at the end) whatever the list's style,
  // so a sorted-style list keeps the order of insertion; returns its row
  // number, or LB_ERR.
  int InsertString(int row, const char* text);
  int GetCount() const;
  // Fills `rows` with up to `maxRows` selected row numbers, in ascending
  // order; returns how many were written.
  int GetSelItems(int maxRows, int* rows) const;
  // The row with the focus rectangle, or LB_ERR. An empty list may still
  // report row 0: check the row against GetCount before reading it.
  int GetCaretIndex() const;
  // Text of a row; "" for a row that does not exist.
  std::string GetText(int row) const;
};

// Progress bar: a position within a range, drawn as a filled share.
class CProgressCtrl : public CWnd {
 public:
  // The range the position moves in, `lower` to `upper` included.
  void SetRange(int lower, int upper);
  void SetPos(int position);
};

}  // namespace platform
