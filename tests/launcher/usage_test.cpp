// Sign-in and this month's usage count against the reference server, whose
// ledger tests/launcher/with_ledger_rows.sh filled: 155 records this month
// for the demo client.
#include <gtest/gtest.h>

#include <ctime>

#include "common/credentials_file.h"
#include "launcher/launcher_ids.h"
#include "launcher/monthly_usage.h"
#include "launcher/usage_message.h"
#include "tests/launcher/launcher_install_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

using namespace test_support;

constexpr char THIS_MONTH[] = "今月は\n【155】\n件検索しました。";
constexpr char SIGN_IN_FAILED[] = "ユーザー認証に失敗しました。IDとパスワードを確認してください。";
constexpr char APPLICATION_ERROR[] = "アプリケーションエラーが発生しました。";
// Nothing listens on this loopback address.
constexpr char NO_SERVER[] = TEST_ADDRESS_LAUNCHER_NO_SERVER;

std::string Server() { return test_support::EnvironmentValue("TARVEX_SERVER_ADDRESS"); }

std::string ThisMonth() { return YearMonthOf(std::time(nullptr)); }

TEST(MonthlyUsageTest, MonthWithLedgerRowsShowsTheirSum) {
  ASSERT_FALSE(Server().empty()) << "run under tools/harness/with_server.sh";
  EXPECT_EQ(MonthlyUsageMessage(Server(), "demo", "tarvex", ThisMonth()), THIS_MONTH);
  EXPECT_EQ(MonthlyUsageMessage(Server(), "demo", "tarvex", "1998-07"), "今月は\n【999】\n件検索しました。");
}

TEST(MonthlyUsageTest, EmptyMonthShowsZero) {
  EXPECT_EQ(MonthlyUsageMessage(Server(), "demo", "tarvex", "1990-01"), "今月は\n【0】\n件検索しました。");
}

TEST(MonthlyUsageTest, WrongCredentialsFailTheSignIn) {
  EXPECT_EQ(MonthlyUsageMessage(Server(), "demo", "wrong", ThisMonth()), SIGN_IN_FAILED);
  EXPECT_EQ(MonthlyUsageMessage(Server(), "", "", ThisMonth()), SIGN_IN_FAILED);
  // A quote in a value neither breaks the statement nor widens the match.
  EXPECT_EQ(MonthlyUsageMessage(Server(), "demo", "' OR '1'='1", ThisMonth()), SIGN_IN_FAILED);
}

TEST(MonthlyUsageTest, UnreachableServerIsAnApplicationError) {
  EXPECT_EQ(MonthlyUsageMessage(NO_SERVER, "demo", "tarvex", ThisMonth()), APPLICATION_ERROR);
}

TEST(MonthlyUsageTest, SystemMenuItemShowsTheCountFromTheStoredCredentials) {
  launcher_test::LauncherInstall install(
      "launcher-usage", "[system]\r\nServerIP=" + Server() + "\r\n[Version]\r\nSystemVer=1\r\n");
  ASSERT_TRUE(install.Write("user_inf.txt", "demo\r\n" + CredentialsFile::ScramblePassword("tarvex") + "\r\n"));
  GuiProgram program;
  ASSERT_TRUE(install.Start(program));
  WindowHandle menu = program.WaitForWindow(launcher_test::MENU_CAPTION);
  ASSERT_NE(menu, nullptr);

  PostSystemCommand(menu, IDM_MONTHLY_USAGE);
  WindowHandle box = launcher_test::WaitForMessage(program, THIS_MONTH);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "Marlop");
  PressButton(box, IDOK_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(box));

  ASSERT_TRUE(install.Write("user_inf.txt", "demo\r\n" + CredentialsFile::ScramblePassword("nope") + "\r\n"));
  PostCommand(menu, IDC_MONTHLY_USAGE);
  box = launcher_test::WaitForMessage(program, SIGN_IN_FAILED);
  ASSERT_NE(box, nullptr);
  PressButton(box, IDOK_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(box));

  ClickButton(menu, IDCANCEL_BUTTON);
  EXPECT_TRUE(program.WaitForExit());
}

}  // namespace
