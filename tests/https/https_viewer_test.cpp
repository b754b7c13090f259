// The viewer's whole road over HTTPS with the real tarvex.exe: sign-in,
// observations and usage record through the TLS front give the report and
// the ledger rows of the plain road, with nothing sent in clear; a
// certificate that does not check out stops the road with the communication
// message before anything is sent.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "resources/viewer/resource.h"
#include "tests/https/tls_front_win.h"
#include "tests/support/test_addresses.h"
#include "tests/viewer/form/viewer_session_win.h"

namespace {

using namespace test_support;
using namespace tls_front;

constexpr char COMMUNICATION_ERROR[] = "通信中にエラーが発生しました。";
constexpr int ROAD_WAIT_MS = 30000;
// No second box within this time: the road told its failure once.
constexpr int NO_BOX_MS = 1000;
constexpr size_t STATIONS = 2;
// Sign-in, one statement a station, usage record.
constexpr size_t ROAD_REQUESTS = 2 + STATIONS;

// The viewer's settings: sign-in at `serverIp`, observations from
// `dataServer`, over HTTPS when `secure`.
std::string Settings(const std::string& serverIp, const std::string& dataServer, bool secure) {
  return "[system]\r\nServerIP=" + serverIp + "\r\nDataServer=" + dataServer + "\r\n" + (secure ? "Secure=1\r\n" : "");
}

class ViewerOverHttps : public ::testing::Test {
 protected:
  // The viewer with the first two stations chosen, daily 1999/01/01 to
  // 1999/01/07, 降水量.
  void SetUp() override {
    ASSERT_FALSE(Server().empty()) << "run under tests/https/with_tls_front.sh";
    viewer = std::make_unique<ViewerSession>("https", Server());
    ASSERT_TRUE(viewer->Start());
    for (size_t row = 0; row < STATIONS; ++row) {
      SetListSelection(viewer->form, IDC_STATION_LIST, static_cast<int>(row), true);
    }
    ClickButton(viewer->form, IDC_CHOOSE);
    ASSERT_TRUE(WaitUntil([&] { return ListTexts(viewer->form, IDC_CHOSEN_LIST).size() == STATIONS; }));
    SelectComboRow(viewer->form, IDC_TO_DAILY_DAY, 6);
    SetCheck(viewer->form, IDC_PRECIPITATION, true);
    ASSERT_TRUE(Settle(viewer->form));
  }

  DisplayedReport DisplayWith(const std::string& settings) {
    viewer->WriteFile("qorvanet.ini", settings);
    return viewer->Display(ROAD_WAIT_MS);
  }

  std::unique_ptr<ViewerSession> viewer;
};

TEST_F(ViewerOverHttps, TheSecureRoadGivesThePlainRoadsReportAndLedgerRowsWithNothingInClear) {
  long ledger = LedgerTotal();
  ASSERT_GE(ledger, 0);
  DisplayedReport plain = DisplayWith(Settings(Server(), Server(), false));
  ASSERT_TRUE(plain.opened) << plain.message;
  long plainRows = 0;
  ASSERT_TRUE(WaitUntil([&] { return (plainRows = LedgerTotal() - ledger) > 0; }));

  size_t secureBefore = LogLines("secure").size();
  DisplayedReport secure = DisplayWith(Settings(FRONT, FRONT, true));
  ASSERT_TRUE(secure.opened) << secure.message;
  EXPECT_TRUE(secure.page == plain.page);
  EXPECT_TRUE(WaitUntil([&] { return LedgerTotal() == ledger + 2 * plainRows; }))
      << "the usage record over HTTPS counts the same rows";

  std::vector<std::string> requests = NewLogLines("secure", secureBefore, ROAD_REQUESTS);
  EXPECT_EQ(ROAD_REQUESTS, requests.size());
  for (const std::string& request : requests) {
    EXPECT_EQ(0u, request.find(TEST_ADDRESS_HTTPS_FRONT ":443 TLSv1.")) << request;
    EXPECT_NE(std::string::npos, request.find("\"POST /norda/dbcommit.php HTTP/1.1\" 200 ")) << request;
  }
  EXPECT_TRUE(LogLines("plain").empty());
  EXPECT_TRUE(LogLines("refused").empty());
}

TEST_F(ViewerOverHttps, ACertificateThatDoesNotCheckOutStopsTheRoadWithTheCommunicationMessage) {
  struct Case {
    const char* what;
    const char* serverIp;
    const char* dataServer;
  };
  const Case cases[] = {
      {"sign-in, certificate of an unknown issuer", UNKNOWN_ISSUER, FRONT},
      {"sign-in, certificate of another host", OTHER_HOST, FRONT},
      {"sign-in, expired certificate", EXPIRED, FRONT},
      {"sign-in, redirected to plain http", REDIRECTING, FRONT},
      {"observations, certificate of an unknown issuer", FRONT, UNKNOWN_ISSUER},
      {"observations, certificate of another host", FRONT, OTHER_HOST},
  };
  long ledger = LedgerTotal();
  for (const Case& refused : cases) {
    DisplayedReport shown = DisplayWith(Settings(refused.serverIp, refused.dataServer, true));
    EXPECT_EQ(COMMUNICATION_ERROR, shown.message) << refused.what;
    // The retrieval is told once, not once a station.
    if (refused.dataServer != FRONT) {
      EXPECT_TRUE(viewer->NoMessageWithin(NO_BOX_MS)) << refused.what;
    }
  }
  EXPECT_TRUE(viewer->Opened().empty());
  EXPECT_EQ(ledger, LedgerTotal());
  // No request reached a server whose certificate was refused, and the
  // redirect was not followed into clear text.
  EXPECT_TRUE(LogLines("refused").empty());
  EXPECT_TRUE(LogLines("plain").empty());
}

}  // namespace
