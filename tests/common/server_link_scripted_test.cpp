// ServerLink and the internet layer against the scripted server
// (tests/common/scripted_server.py), which gives the replies the real data
// server never gives and echoes raw requests.
#include <gtest/gtest.h>

#include <string>

#include "common/server_link.h"
#include "platform/internet.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

// Nothing listens there: the range's address kept free for this.
constexpr const char* UNREACHABLE_ADDRESS = TEST_ADDRESS_COMMON_UNREACHABLE;

std::string ScriptedAddress() { return test_support::EnvironmentValue("TARVEX_SCRIPTED_ADDRESS"); }

class ScriptedServer : public ::testing::Test {
 protected:
  void SetUp() override {
    link.server = ScriptedAddress();
    ASSERT_FALSE(link.server.empty()) << "run under scripted_server.py";
  }

  // Runs `statement`, starting from a result that holds `before` and a row
  // count that is not 0, so that the call's own resets show.
  bool Run(const std::string& statement, const std::string& before = "") {
    result = before;
    rowCount = -7;
    return link.Execute(statement, result, rowCount);
  }

  ServerLink link{VIEWER_ROW_TERMINATOR};
  std::string result;
  int rowCount = 0;
};

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

TEST_F(ScriptedServer, ASingleLineReplyIsSuccessWithoutRows) {
  EXPECT_TRUE(Run("single;", "kept"));
  EXPECT_EQ(rowCount, 0);
  EXPECT_EQ(result, "kept");
}

TEST_F(ScriptedServer, RowsSemicolonLinesAndEmptyLines) {
  EXPECT_TRUE(Run("rows;"));
  EXPECT_EQ(result, "a,b,\n;x,\n,\nc,\n");
  EXPECT_EQ(rowCount, 4);
}

TEST_F(ScriptedServer, LauncherRowsEndInALineFeedAlone) {
  ServerLink launcherLink(LAUNCHER_ROW_TERMINATOR);
  launcherLink.server = link.server;
  EXPECT_TRUE(launcherLink.Execute("rows;", result, rowCount));
  EXPECT_EQ(result, "a,b\n;x\n\nc\n");
  EXPECT_EQ(rowCount, 4);
}

TEST_F(ScriptedServer, ErrorStatusesFailWithoutReadingTheBody) {
  for (const char* statement : {"status404;", "status500;"}) {
    EXPECT_FALSE(Run(statement, "kept")) << statement;
    EXPECT_EQ(rowCount, 0) << statement;
    EXPECT_EQ(result, "kept") << statement;
  }
}

TEST_F(ScriptedServer, CarriageReturnsAreDropped) {
  EXPECT_TRUE(Run("crlf;"));
  EXPECT_EQ(result, "abcd,\n,\nlast,\n");
  EXPECT_EQ(rowCount, 3);
}

TEST_F(ScriptedServer, ErrorOnTheFirstLineFails) {
  EXPECT_FALSE(Run("errorfirst;"));
  EXPECT_EQ(rowCount, 0);
  EXPECT_EQ(result, "row,\n");
}

TEST_F(ScriptedServer, RowsBeforeAnErrorLineStayAppended) {
  EXPECT_FALSE(Run("errorlater;", "kept,\n"));
  EXPECT_EQ(rowCount, 0);
  EXPECT_EQ(result, "kept,\nr1,\nr2,\nx ERROR: failed,\nr3,\n");
}

TEST_F(ScriptedServer, LastLineWithoutLineFeedAndEmptyBody) {
  EXPECT_TRUE(Run("nolf;"));
  EXPECT_EQ(result, "first,\nlast,\n");
  EXPECT_EQ(rowCount, 2);
  EXPECT_TRUE(Run("empty;"));
  EXPECT_EQ(result, "");
  EXPECT_EQ(rowCount, 0);
}

TEST_F(ScriptedServer, ShiftJisBytesArriveUnchanged) {
  EXPECT_TRUE(Run("shiftjis;"));
  EXPECT_EQ(result, "12345,\x95\x5c\x8e\xa6,\n");
}

TEST_F(ScriptedServer, ALongReplyReadInManyBlocks) {
  EXPECT_TRUE(Run("big;"));
  const int rows = 20000;
  std::string expected;
  for (int n = 0; n < rows; ++n) {
    char row[40];
    std::snprintf(row, sizeof(row), "%05d,%d,-%d,\n", n % 100000, n, n);
    expected += row;
  }
  EXPECT_EQ(rowCount, rows);
  EXPECT_EQ(result, expected);
}

// The request on the wire: verb, path, the one content type, the user
// agent, and the body "sql=BEGIN;" + statement + "COMMIT;" byte for byte,
// with nothing encoded and no line feed added.
TEST_F(ScriptedServer, RequestBytesOnTheWire) {
  const std::string statement = "echo a&b=c+d%e '\x95\x5c' %41 \n x;";
  ASSERT_TRUE(Run(statement));
  ASSERT_EQ(rowCount, 1);
  ASSERT_GE(result.size(), 2u);
  const std::string raw = FromHex(result.substr(0, result.size() - 2));
  const std::size_t headEnd = raw.find("\r\n\r\n");
  ASSERT_NE(headEnd, std::string::npos);
  const std::string head = raw.substr(0, headEnd + 2);
  const std::string body = raw.substr(headEnd + 4);

  EXPECT_EQ(head.rfind("POST /norda/dbcommit.php HTTP/1.", 0), 0u) << head;
  const std::string contentType = "\r\nContent-Type: application/x-www-form-urlencoded\r\n";
  const std::size_t typeAt = head.find(contentType);
  EXPECT_NE(typeAt, std::string::npos) << head;
  EXPECT_EQ(head.find("Content-Type:", typeAt + contentType.size()), std::string::npos) << head;
  EXPECT_NE(head.find("\r\nUser-Agent: HTTP-POST\r\n"), std::string::npos) << head;
  EXPECT_NE(head.find("\r\nContent-Length: " + std::to_string(body.size()) + "\r\n"), std::string::npos) << head;
  EXPECT_EQ(body, "sql=BEGIN;" + statement + "COMMIT;");
}

TEST(UnreachableServer, ExecuteRaisesTheInternetLayersError) {
  ServerLink link(VIEWER_ROW_TERMINATOR);
  link.server = UNREACHABLE_ADDRESS;
  std::string result = "kept";
  int rowCount = -7;
  EXPECT_THROW(link.Execute("SELECT 1;", result, rowCount), platform::CInternetException);
  EXPECT_EQ(result, "kept");
  EXPECT_EQ(rowCount, 0);
}

TEST(UnreachableServer, TheExceptionCarriesTheErrorCode) {
  platform::CInternetSession session("HTTP-POST");
  try {
    auto file = session.OpenURL((std::string("http://") + UNREACHABLE_ADDRESS + "/files/block.bin").c_str());
    FAIL() << "no exception";
  } catch (const platform::CInternetException& error) {
    EXPECT_GE(error.errorCode, 12001u);
    EXPECT_LE(error.errorCode, 12999u);
  }
}

// Reads the whole of `file` in blocks of `blockSize` bytes.
std::string ReadAll(platform::CInternetFile& file, std::size_t blockSize) {
  std::string bytes;
  std::string block(blockSize, '\0');
  while (std::size_t arrived = file.Read(&block[0], block.size())) bytes.append(block, 0, arrived);
  return bytes;
}

TEST(OpenURL, ReadsAFileInBlocksWithItsStatus) {
  std::string expected;
  for (int n = 0; n < 5000; ++n) expected += static_cast<char>((n * 7 + n / 256) % 256);
  platform::CInternetSession session("HTTP-POST");
  const std::string base = "http://" + ScriptedAddress() + "/files/";
  for (std::size_t blockSize : {1024u, 333u}) {
    auto file = session.OpenURL((base + "block.bin").c_str(), INTERNET_FLAG_TRANSFER_ASCII);
    auto* http = dynamic_cast<platform::CHttpFile*>(file.get());
    ASSERT_NE(http, nullptr);
    EXPECT_EQ(http->QueryInfoStatusCode(), HTTP_STATUS_OK);
    EXPECT_EQ(http->QueryInfoContentLength(), 5000);
    EXPECT_EQ(ReadAll(*file, blockSize), expected) << "blocks of " << blockSize;
  }
  auto missing = session.OpenURL((base + "missing.bin").c_str(), INTERNET_FLAG_TRANSFER_ASCII);
  auto* missingHttp = dynamic_cast<platform::CHttpFile*>(missing.get());
  ASSERT_NE(missingHttp, nullptr);
  EXPECT_EQ(missingHttp->QueryInfoStatusCode(), 404u);
}

}  // namespace
