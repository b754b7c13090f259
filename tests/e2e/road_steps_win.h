// Steps of the end-to-end roads that more than one road takes, on the real
// programs under Wine.
#pragma once

#include "tests/support/gui_driver_win.h"

namespace e2e {

// Stores the demo account (user ID "demo", password "tarvex") through the
// launcher's ユーザー設定 dialog opened from `menu`; fails the test when the
// dialog does not open or close.
void StoreDemoAccount(const test_support::GuiProgram& launcher, test_support::WindowHandle menu);

}  // namespace e2e
