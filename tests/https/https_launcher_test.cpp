// The launcher over HTTPS: the self-update and this month's usage of the real
// marlop.exe through the TLS front give what the plain road gives, with
// nothing sent in clear; an update address in clear is refused with its
// reason, and a certificate that does not check out fails the update. The
// secure exchanges underneath, in this process: the link and the download
// against each kind of certificate.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "common/credentials_file.h"
#include "common/download_file.h"
#include "common/server_link.h"
#include "common/server_statements.h"
#include "launcher/launcher_ids.h"
#include "launcher/monthly_usage.h"
#include "launcher/usage_message.h"
#include "platform/wide_text.h"
#include "platform/win32.h"
#include "tests/https/tls_front_win.h"
#include "tests/launcher/launcher_install_win.h"
#include "tests/launcher/web_root.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

using namespace test_support;
using namespace tls_front;
using launcher_test::BinaryBytes;
using launcher_test::LauncherInstall;
using launcher_test::PublishFile;
using launcher_test::UPDATE_DONE;
using launcher_test::UPDATE_FAILED;
using launcher_test::UPDATE_QUESTION;
using launcher_test::WaitForMessage;

constexpr char NOT_SECURE[] =
    "更新ファイルの取得先が https ではない（通信が暗号化されない）ため、バージョンアップを中止しました。";
constexpr char SECURE_FOLDER[] = "https://" TEST_ADDRESS_HTTPS_FRONT "/pg/";
constexpr char FIRST_FILE[] = "https://" TEST_ADDRESS_HTTPS_FRONT "/pg/first.dat";
constexpr char SECOND_FILE[] = "https://" TEST_ADDRESS_HTTPS_FRONT "/pg/second.exe";
constexpr int NO_BOX_MS = 1000;

// A secure launcher signing in at the front, with the update folder `dlSrvPath`.
std::string Settings(const std::string& dlSrvPath) {
  return "[system]\r\nServerIP=" TEST_ADDRESS_HTTPS_FRONT "\r\nDLIniFile=version.txt\r\nDLSrvPath=" + dlSrvPath +
         "\r\nUserURL=\r\nSecure=1\r\n[Version]\r\nSystemVer=1\r\n";
}

std::string ThisMonth() { return YearMonthOf(std::time(nullptr)); }

class LauncherOverHttps : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(launcher_test::WebRoot().empty()) << "run under tests/https/with_tls_front.sh";
    for (const char* folder : {"\\pg", "\\pg\\other"}) {
      CreateDirectoryW(platform::ToWide((launcher_test::WebRoot() + folder).c_str()).c_str(), nullptr);
    }
    ASSERT_TRUE(PublishFile("pg\\first.dat", first));
    ASSERT_TRUE(PublishFile("pg\\second.exe", second));
    ASSERT_TRUE(PublishFile("pg\\version.txt", "2\r\n" + std::string(FIRST_FILE) + "\r\n\r\n" + SECOND_FILE + "\r\n"));
    // A list on the trusted front naming a file on a server with another
    // host's certificate.
    ASSERT_TRUE(PublishFile("pg\\other\\version.txt", "2\r\nhttps://" TEST_ADDRESS_HTTPS_OTHER_HOST "/pg/first.dat\r\n"));
  }

  void TearDown() override {
    if (program.IsRunning()) program.Terminate();
  }

  // Starts the launcher of `install` and confirms the box showing `text`
  // (answering an update question with Yes first when `asks`), then closes
  // the menu, which opens without a further box.
  void StartAndExpect(const LauncherInstall& install, bool asks, const std::string& text) {
    ASSERT_TRUE(install.Start(program));
    if (asks) {
      WindowHandle question = WaitForMessage(program, UPDATE_QUESTION);
      ASSERT_NE(question, nullptr) << text;
      PressButton(question, IDYES_BUTTON);
    }
    WindowHandle box = WaitForMessage(program, text);
    ASSERT_NE(box, nullptr) << text;
    EXPECT_EQ(WindowText(box), "Marlop");
    PressButton(box, IDOK_BUTTON);
    WindowHandle menu = program.WaitForWindow(launcher_test::MENU_CAPTION);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(program.WaitForModalBox(NO_BOX_MS), nullptr) << text;
    ClickButton(menu, IDCANCEL_BUTTON);
    EXPECT_TRUE(program.WaitForExit());
  }

  std::string first = BinaryBytes(2048);
  std::string second = BinaryBytes(70000);
  GuiProgram program;
};

TEST_F(LauncherOverHttps, UpdateAndMonthlyUsageOverHttpsGiveWhatThePlainRoadGives) {
  std::string plainUsage = MonthlyUsageMessage(Server(), "demo", "tarvex", ThisMonth());
  ASSERT_NE(std::string::npos, plainUsage.find("件検索しました。")) << plainUsage;
  LauncherInstall install("https-launcher", Settings(SECURE_FOLDER));
  ASSERT_TRUE(install.Write("user_inf.txt", "demo\r\n" + CredentialsFile::ScramblePassword("tarvex") + "\r\n"));
  size_t secureBefore = LogLines("secure").size();

  ASSERT_TRUE(install.Start(program));
  WindowHandle question = WaitForMessage(program, UPDATE_QUESTION);
  ASSERT_NE(question, nullptr);
  PressButton(question, IDYES_BUTTON);
  WindowHandle box = WaitForMessage(program, UPDATE_DONE);
  ASSERT_NE(box, nullptr);
  PressButton(box, IDOK_BUTTON);
  EXPECT_TRUE(install.Read("first.dat") == first);
  EXPECT_TRUE(install.Read("second.exe") == second);
  EXPECT_NE(std::string::npos, install.Read("qorvanet.ini").find("SystemVer=2"));

  WindowHandle menu = program.WaitForWindow(launcher_test::MENU_CAPTION);
  ASSERT_NE(menu, nullptr);
  PostSystemCommand(menu, IDM_MONTHLY_USAGE);
  box = WaitForMessage(program, plainUsage);
  ASSERT_NE(box, nullptr) << plainUsage;
  PressButton(box, IDOK_BUTTON);
  EXPECT_TRUE(WaitForWindowGone(box));
  ClickButton(menu, IDCANCEL_BUTTON);
  EXPECT_TRUE(program.WaitForExit());

  // The list, both files, the sign-in and the sum: all over TLS.
  std::vector<std::string> requests = NewLogLines("secure", secureBefore, 5);
  std::vector<std::string> expected = {
      "\"GET /pg/version.txt HTTP/1.1\" 200", "\"GET /pg/first.dat HTTP/1.1\" 200",
      "\"GET /pg/second.exe HTTP/1.1\" 200", "\"POST /norda/dbcommit.php HTTP/1.1\" 200",
      "\"POST /norda/dbcommit.php HTTP/1.1\" 200"};
  ASSERT_EQ(expected.size(), requests.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(0u, requests[i].find(TEST_ADDRESS_HTTPS_FRONT ":443 TLSv1.")) << requests[i];
    EXPECT_NE(std::string::npos, requests[i].find(expected[i])) << requests[i];
  }
  EXPECT_TRUE(LogLines("plain").empty());
}

TEST_F(LauncherOverHttps, AnUpdateInClearIsRefusedAndACertificateThatDoesNotCheckOutFailsIt) {
  struct Case {
    const char* what;
    const char* dlSrvPath;
    const char* localList;  // the version list already in the folder
    bool asks;
    const char* message;
  };
  const Case cases[] = {
      {"the list's address in clear", "http://" TEST_ADDRESS_HTTPS_FRONT "/pg/", "", false, NOT_SECURE},
      {"a listed address in clear", "", "2\r\nhttp://" TEST_ADDRESS_HTTPS_FRONT "/pg/first.dat\r\n", false, NOT_SECURE},
      {"the list on a server of an unknown issuer", "https://" TEST_ADDRESS_HTTPS_UNKNOWN_ISSUER "/pg/", "", false, UPDATE_FAILED},
      {"a listed file on a server with another host's certificate", "https://" TEST_ADDRESS_HTTPS_FRONT "/pg/other/", "", true,
       UPDATE_FAILED},
  };
  int number = 0;
  for (const Case& refused : cases) {
    SCOPED_TRACE(refused.what);
    LauncherInstall install("https-refused-" + std::to_string(++number), Settings(refused.dlSrvPath));
    if (*refused.localList != '\0') {
      ASSERT_TRUE(install.Write("version.txt", refused.localList));
    }
    StartAndExpect(install, refused.asks, refused.message);
    EXPECT_FALSE(FileExists(install.PathOf("first.dat")));
    EXPECT_NE(std::string::npos, install.Read("qorvanet.ini").find("SystemVer=1"));
  }
  EXPECT_TRUE(LogLines("plain").empty());
  EXPECT_TRUE(LogLines("refused").empty());
}

// The link and the download as secure settings use them: the front gives the
// plain road's answer; the others are refused at their certificate, or fail
// at their redirect, before anything travels in clear.
TEST(SecureExchanges, OnlyACertificateThatChecksOutCarriesTheExchange) {
  ASSERT_FALSE(Server().empty()) << "run under tests/https/with_tls_front.sh";
  auto signIn = [](const std::string& server, bool secure, std::string& reply) {
    ServerLink link(LAUNCHER_ROW_TERMINATOR);
    link.server = server;
    link.secure = secure;
    int rows = 0;
    return GuardExchange([&] { return link.Execute(SignInStatement("demo", "tarvex"), reply, rows); });
  };
  std::string plainReply;
  ASSERT_EQ(ExchangeResult::Done, signIn(Server(), false, plainReply));
  std::string secureReply;
  EXPECT_EQ(ExchangeResult::Done, signIn(FRONT, true, secureReply));
  EXPECT_EQ(plainReply, secureReply);

  std::string target = MakeScratchFolder("https-download") + "\\fetched.dat";
  auto download = [&](const std::string& address) {
    return GuardExchange([&] { return DownloadFile(target.c_str(), address.c_str(), true); });
  };
  ASSERT_TRUE(PublishFile("pg\\first.dat", BinaryBytes(2048)));
  EXPECT_EQ(ExchangeResult::Done, download(FIRST_FILE));
  EXPECT_TRUE(ReadBytes(target) == BinaryBytes(2048));

  struct Case {
    const char* what;
    const char* server;
    ExchangeResult expected;
  };
  const Case cases[] = {
      {"certificate of an unknown issuer", UNKNOWN_ISSUER, ExchangeResult::Refused},
      {"certificate of another host", OTHER_HOST, ExchangeResult::Refused},
      {"expired certificate", EXPIRED, ExchangeResult::Refused},
      {"redirected to plain http", REDIRECTING, ExchangeResult::Failed},
  };
  for (const Case& refused : cases) {
    std::string reply;
    EXPECT_EQ(refused.expected, signIn(refused.server, true, reply)) << refused.what;
    EXPECT_EQ("", reply) << refused.what;
    EXPECT_EQ(refused.expected, download("https://" + std::string(refused.server) + "/pg/first.dat")) << refused.what;
  }
  // A secure installation sends no request to a plain address at all.
  EXPECT_EQ(ExchangeResult::Failed, download("http://" TEST_ADDRESS_HTTPS_FRONT "/pg/first.dat"));
  EXPECT_FALSE(MayDownload("http://" TEST_ADDRESS_HTTPS_FRONT "/pg/first.dat", true));
  EXPECT_TRUE(ReadBytes(target) == BinaryBytes(2048));
  EXPECT_TRUE(LogLines("refused").empty());
  EXPECT_TRUE(LogLines("plain").empty());
}

}  // namespace
