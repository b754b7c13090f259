// Modal dialogs from the dialog templates of the executable's resources,
// with a command table per dialog class and data exchange between the
// controls and the dialog's members.
//
// A dialog class derives from CDialog, binds its wrappers in DoDataExchange
// and routes control notifications through a static command table:
//
//   // header
//   class MenuDialog : public platform::CDialog {
//     ...
//     bool OnCommand(int id, int code) override;
//     static const platform::CommandEntry<MenuDialog> COMMANDS[];
//   };
//   // source
//   const platform::CommandEntry<MenuDialog> MenuDialog::COMMANDS[] = {
//       {1000, platform::CBN_SELCHANGE, &MenuDialog::OnBlockChanged},
//       {5, platform::BN_CLICKED, &MenuDialog::OnStart},
//   };
//   bool MenuDialog::OnCommand(int id, int code) {
//     return platform::RouteCommand(*this, COMMANDS, id, code);
//   }
//
// Commands the table does not handle take the default path: IDOK runs
// OnOK, IDCANCEL runs OnCancel (Escape and the window's close box send it).
// F1 arrives as the command ID_HELP, which nothing handles by default.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/controls.h"
#include "platform/dialog_codes.h"
#include "platform/handles.h"

namespace platform {

class CDialog;

// One data exchange pass: from the controls to the members
// (m_bSaveAndValidate true) or from the members to the controls.
struct CDataExchange {
  CDialog* m_pDlgWnd;
  bool m_bSaveAndValidate;
};

// Binds `control` to the dialog's control `id` (every pass; a dialog run
// twice binds afresh). An id the template lacks leaves it unbound.
void DDX_Control(CDataExchange& dx, int id, CWnd& control);

// Exchanges the text of the edit field `id` with `value` (code page 932).
void DDX_Text(CDataExchange& dx, int id, std::string& value);

// One row of a dialog's command table: the control id, the notification code
// and the member that handles it.
template <class Dialog>
struct CommandEntry {
  int id;
  int code;
  void (Dialog::*handler)();
};

// Runs the handler of the first entry matching `id` and `code`; returns
// false when no entry matches.
template <class Dialog, std::size_t N>
bool RouteCommand(Dialog& dialog, const CommandEntry<Dialog> (&table)[N], int id, int code) {
  for (const CommandEntry<Dialog>& entry : table) {
    if (entry.id == id && entry.code == code) {
      (dialog.*entry.handler)();
      return true;
    }
  }
  return false;
}

class CDialog : public CWnd {
 public:
  // `templateId` names a dialog template of the executable's resources.
  // Without a parent the dialog is owned by the program's main window, if
  // that is a running window other than the dialog itself.
  explicit CDialog(int templateId, CWnd* parent = nullptr);
  ~CDialog() override = default;

  // Shows the dialog modally and returns the value given to EndDialog, or -1
  // when the dialog could not be created.
  int DoModal();

  // Ends a running modal dialog with `result` as DoModal's answer.
  void EndDialog(int result);

  // Runs DoDataExchange in the given direction; returns true.
  bool UpdateData(bool saveAndValidate = true);

  // Window icons: big (title bar, Alt+Tab) or small.
  void SetIcon(IconHandle icon, bool big);

  // System menu of the running dialog.
  bool HasSystemMenu() const;
  void AppendSystemMenuSeparator();
  void AppendSystemMenuItem(unsigned command, const char* text);

  // True while the dialog is minimized.
  bool IsIconic() const;

  // Keeps the running dialog hidden until `delayMs` milliseconds have
  // passed, then shows it; a dialog that ends sooner never appears. Call it
  // from OnInitDialog.
  void ShowAfter(unsigned delayMs);

  // Posts the running dialog `dialog` a wake-up, from any thread, without
  // waiting: OnWake then runs on the dialog's own thread. Nothing happens
  // once the window is gone.
  static void PostWake(WindowHandle dialog);

 protected:
  // After the controls exist: binds and fills them (UpdateData(false)).
  // Returns true to let the dialog manager set the focus.
  virtual bool OnInitDialog();
  // Default: UpdateData(true), then EndDialog(IDOK).
  virtual void OnOK();
  // Default: EndDialog(IDCANCEL).
  virtual void OnCancel();
  // Default: nothing to exchange.
  virtual void DoDataExchange(CDataExchange& dx);

  // WM_COMMAND from control `id` with notification `code` (0 for menus and
  // accelerators); returns true when handled. Default: false.
  virtual bool OnCommand(int id, int code);

  // System menu and window-frame commands; the default handling does what
  // the system does (close, move, minimize ...).
  virtual void OnSysCommand(unsigned command, std::intptr_t param);
  // Painting; the default paints the dialog as the system does.
  virtual void OnPaint();
  // The icon shown while the minimized window is dragged; nullptr lets the
  // system choose.
  virtual IconHandle OnQueryDragIcon();

  // A wake-up posted by PostWake. Default: nothing.
  virtual void OnWake();

  // For OnPaint while minimized: erases the icon background and draws `icon`
  // centred in the client area.
  void PaintIconCentred(IconHandle icon);

 private:
  friend class DialogRouter;  // the dialog procedure, in dialog.cpp

  WindowHandle OwnerWindow() const;

  int templateId;
  CWnd* parent;
  bool showHeld = false;  // ShowAfter's time has not yet passed
};

}  // namespace platform
