// Command identifiers, notification codes and show states that dialog code
// names, with the platform's values, so dialog code needs no Win32 header.
// Each name is declared only when the Win32 headers have not defined it as a
// macro already (inside the platform layer); the values are the same.
#pragma once

namespace platform {

// Command identifiers of the standard buttons.
#ifndef IDOK
constexpr int IDOK = 1;
#endif
#ifndef IDCANCEL
constexpr int IDCANCEL = 2;
#endif
// The help command: what F1 sends the dialog that has the keyboard focus.
constexpr int ID_HELP = 0xE146;

// Notification codes of WM_COMMAND. A menu item or accelerator sends 0, the
// same code as a button click.
#ifndef BN_CLICKED
constexpr int BN_CLICKED = 0;
#endif
#ifndef CBN_SELCHANGE
constexpr int CBN_SELCHANGE = 1;
#endif
#ifndef LBN_DBLCLK
constexpr int LBN_DBLCLK = 2;
#endif

// Show states for CWnd::ShowWindow.
#ifndef SW_HIDE
constexpr int SW_HIDE = 0;
#endif
#ifndef SW_SHOW
constexpr int SW_SHOW = 5;
#endif

// Check states of check boxes.
#ifndef BST_UNCHECKED
constexpr int BST_UNCHECKED = 0;
#endif
#ifndef BST_CHECKED
constexpr int BST_CHECKED = 1;
#endif

// "No such row" answer of the combo and list box wrappers.
#ifndef CB_ERR
constexpr int CB_ERR = -1;
#endif
#ifndef LB_ERR
constexpr int LB_ERR = -1;
#endif

// The system menu's command range is masked with SYSTEM_COMMAND_MASK before
// comparing: the low four bits are the system's own.
constexpr unsigned SYSTEM_COMMAND_MASK = 0xFFF0;

}  // namespace platform
