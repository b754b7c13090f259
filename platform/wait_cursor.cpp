#include "platform/wait_cursor.h"

#include <windows.h>

namespace platform {

CWaitCursor::CWaitCursor() : previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))), active(true) {}

CWaitCursor::~CWaitCursor() { Restore(); }

void CWaitCursor::Restore() {
  if (!active) return;
  active = false;
  SetCursor(static_cast<HCURSOR>(previous) != nullptr ? static_cast<HCURSOR>(previous)
                                                     : LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace platform
