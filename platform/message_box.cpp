#include "platform/message_box.h"

#include <windows.h>

#include "platform/wide_text.h"

namespace platform {

int ShowMessage(WindowHandle owner, const char* text, const char* caption, MessageKind kind) {
  UINT style = kind == MessageKind::YesNoQuestion ? (MB_YESNO | MB_ICONQUESTION) : MB_OK;
  return MessageBoxW(static_cast<HWND>(owner), ToWide(text).c_str(), ToWide(caption).c_str(), style);
}

}  // namespace platform
