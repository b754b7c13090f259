// Modal message boxes with Shift-JIS texts, the way every message of the
// system reaches the user.
#pragma once

#include "platform/handles.h"

namespace platform {

// Answers of ShowMessage, as the platform's message box returns them.
constexpr int ANSWER_OK = 1;
constexpr int ANSWER_YES = 6;
constexpr int ANSWER_NO = 7;

// Box kinds: an OK button (every message), or Yes and No with the question
// icon (the update question).
enum class MessageKind { Ok, YesNoQuestion };

// Shows a modal box owned by `owner` (nullptr: no owner window) and returns
// the answer (ANSWER_OK, ANSWER_YES or ANSWER_NO).
int ShowMessage(WindowHandle owner, const char* text, const char* caption,
                MessageKind kind = MessageKind::Ok);

}  // namespace platform
