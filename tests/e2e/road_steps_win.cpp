#include "tests/e2e/road_steps_win.h"

#include <gtest/gtest.h>

#include "launcher/launcher_ids.h"

namespace e2e {

using namespace test_support;

void StoreDemoAccount(const GuiProgram& launcher, WindowHandle menu) {
  ClickButton(menu, IDC_USER_SETTINGS);
  WindowHandle settings = launcher.WaitForModalBox();
  ASSERT_NE(nullptr, settings);
  SetControlText(settings, IDC_USER_ID, "demo");
  SetControlText(settings, IDC_PASSWORD, "tarvex");
  ClickButton(settings, IDOK_BUTTON);
  ASSERT_TRUE(launcher.WaitForNoModalBox());
}

}  // namespace e2e
