// What one client can do to the others through the HTTP front, tried as a
// hostile client would with raw sockets against the real server: fill the
// request memory, exhaust the descriptors, send bytes after a body, spell a
// proxied address many ways, send heads two readers could read differently,
// push garbage after a refusal, open connections in a burst; and the
// connection kept between requests, under every limit.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/server/http_client.h"
#include "tests/server/server_process.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int PORT = 80;
constexpr size_t MIB = 1 << 20;
constexpr const char* SIGN_IN = "sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';COMMIT;";
constexpr const char* SIGNED_IN_REPLY = "OK\n10001\n;\n";
constexpr const char* NO_ACCOUNT_REPLY = "OK\n;\n";

std::string Head(const std::string& fields, size_t length) {
  return "POST /norda/dbcommit.php HTTP/1.1\r\nHost: x\r\n" + fields + "Content-Length: " + std::to_string(length) +
         "\r\n\r\n";
}

std::string Request(const std::string& body, const std::string& fields = "Connection: close\r\n") {
  return Head(fields, body.size()) + body;
}

std::string WrongSignIn(int n) {
  return "sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'guess" +
         std::to_string(n) + "';COMMIT;";
}

// Five years of daily rows of eight stations: a reply of about 800 KB.
std::string EightStationQuery() {
  std::string sql;
  for (const char* station : {"11001", "11011", "12001", "12011", "13001", "14001", "14011", "15001"}) {
    if (!sql.empty()) sql += " UNION ";
    sql += std::string("SELECT * FROM st_data_h WHERE sChiten = ") + station + " AND (d2 >= 1999 AND d2 <= 2003)";
  }
  return "sql=BEGIN;" + sql + ";COMMIT;";
}

// One reply read from `fd` by its Content-Length: its status, headers and body.
struct Reply {
  int status = 0;
  std::string head;
  std::string body;
};

Reply ReadReply(int fd, milliseconds limit = milliseconds(5000)) {
  Reply reply;
  std::string seen;
  auto end = Clock::now() + limit;
  char buffer[65536];
  while (Clock::now() < end) {
    size_t headEnd = seen.find("\r\n\r\n");
    if (headEnd != std::string::npos) {
      size_t at = seen.find("Content-Length: ");
      size_t length = at == std::string::npos ? 0 : std::stoul(seen.substr(at + 16));
      if (seen.size() >= headEnd + 4 + length) {
        reply.status = std::stoi(seen.substr(9, 3));
        reply.head = seen.substr(0, headEnd);
        reply.body = seen.substr(headEnd + 4, length);
        return reply;
      }
    }
    pollfd watch{fd, POLLIN, 0};
    if (poll(&watch, 1, 50) <= 0) continue;
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    seen.append(buffer, static_cast<size_t>(n));
  }
  return reply;
}

std::string Exchange(const std::string& server, const std::string& request, const std::string& from) {
  HttpReply reply;
  if (!SendRaw(server, PORT, request, reply, from)) return "no answer";
  return std::to_string(reply.status) + " " + reply.body;
}

double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  unsigned long long user = 0, system = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) user = std::stoull(field);
    if (i == 15) system = std::stoull(field);
  }
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

class FrontTest : public testing::Test {
 protected:
  static constexpr const char* SERVER = TEST_ADDRESS_SERVER_FRONT;
  static constexpr const char* PROXY = "127.0.0.80";

  static void SetUpTestSuite() {
    folder_ = test_support::MakeScratchFolder("front");
    process_ = new ServerProcess;
    ASSERT_TRUE(process_->StartOn(SERVER, PORT, CopySampleDatabase(Engine::Sqlite, folder_),
                                  {"--request-time", "2", "--trusted-proxy", PROXY, "--access-log",
                                   folder_ + "/access.log"}));
  }
  static void TearDownTestSuite() {
    delete process_;
    process_ = nullptr;
  }

  // A server of its own for a test that stops or starves it.
  static std::unique_ptr<ServerProcess> OwnServer(const std::string& address, const std::vector<std::string>& options) {
    auto own = std::make_unique<ServerProcess>();
    std::string scratch = test_support::MakeScratchFolder("front-" + address);
    if (!own->StartOn(address, PORT, CopySampleDatabase(Engine::Sqlite, scratch), options)) return nullptr;
    return own;
  }

  static std::string folder_;
  static ServerProcess* process_;
};

std::string FrontTest::folder_;
ServerProcess* FrontTest::process_ = nullptr;

TEST_F(FrontTest, AClientWithASmallRequestIsAnsweredWhileOthersFillTheRequestMemory) {
  // The unfinished heads of 64 bytes, and bodies just under 1 MiB: what
  // the attackers hold leaves less than a sign-in of a shared 64 MiB.
  const size_t UNFINISHED = 64;
  std::string unfinished = "POST /norda/dbcommit.php HTTP/1.1\r\nHost: x\r\nX-Pad: ";
  unfinished.append(UNFINISHED - unfinished.size(), 'a');
  std::vector<int> attackers;
  std::string almost(MIB - Head("", MIB).size() - UNFINISHED / 2 - 2, '(');
  for (int i = 0; i < 64; ++i) {
    int fd = ConnectFrom(SERVER, PORT, i % 2 == 0 ? "127.0.0.61" : "127.0.0.62");
    timeval second{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &second, sizeof second);
    SendAll(fd, Head("", MIB) + almost);
    attackers.push_back(fd);
  }
  for (int i = 0; i < 32; ++i) {
    int fd = ConnectFrom(SERVER, PORT, "127.0.0.63");
    SendAll(fd, unfinished);
    attackers.push_back(fd);
  }
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(std::string("200 ") + SIGNED_IN_REPLY, Exchange(SERVER, Request(SIGN_IN), "127.0.0.64")) << i;
  }
  for (int fd : attackers) close(fd);
}

TEST_F(FrontTest, OutOfDescriptorsTheServerNeitherSpinsNorLocksOthersOut) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's runtime takes descriptors of its own under the lowered limit";
#endif
  auto own = OwnServer(TEST_ADDRESS_SERVER_FRONT_FAIR_SHARE, {});
  ASSERT_TRUE(own);
  ASSERT_EQ(0, RunCommand("prlimit --pid " + std::to_string(own->Pid()) + " --nofile=64:64").status);
  std::vector<int> attackers;
  for (int i = 0; i < 96; ++i) {
    int fd = ConnectFrom(TEST_ADDRESS_SERVER_FRONT_FAIR_SHARE, PORT, "127.0.0." + std::to_string(65 + i % 3));
    SendAll(fd, "POST /norda/dbcommit.php HTTP/1.1\r\n");
    attackers.push_back(fd);
  }
  std::this_thread::sleep_for(milliseconds(300));
  double before = CpuSeconds(own->Pid());
  std::this_thread::sleep_for(milliseconds(1000));
  EXPECT_LT(CpuSeconds(own->Pid()) - before, 0.5) << "the loop spins";
  auto start = Clock::now();
  EXPECT_EQ(std::string("200 ") + SIGNED_IN_REPLY, Exchange(TEST_ADDRESS_SERVER_FRONT_FAIR_SHARE, Request(SIGN_IN), "127.0.0.68"));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  for (int fd : attackers) close(fd);
}

TEST(FrontStart, AServerWhoseDescriptorsCannotHoldItsConnectionsSaysSoAndDoesNotStart) {
  std::string folder = test_support::MakeScratchFolder("front-nofile");
  std::string database = CopySampleDatabase(Engine::Sqlite, folder);
  CommandOutcome outcome = RunCommand("prlimit --nofile=24:24 " + NativeBuildFolder() +
                                      "/server/norda_server --address " TEST_ADDRESS_SERVER_FRONT_FILE_LIMIT " --database " + database + " 2>&1");
  EXPECT_EQ(1, outcome.status);
  EXPECT_NE(std::string::npos, outcome.output.find("limit of open files (24)")) << outcome.output;
}

TEST_F(FrontTest, BytesAfterTheBodyNeitherCutTheReplyShortNorBreakAKeptConnection) {
  ASSERT_EQ(std::string("200 ") + SIGNED_IN_REPLY, Exchange(SERVER, Request(SIGN_IN), "127.0.0.69"));
  std::string query = EightStationQuery();
  int fd = ConnectFrom(SERVER, PORT, "127.0.0.69");
  ASSERT_TRUE(SendAll(fd, Request(query)));
  std::this_thread::sleep_for(milliseconds(200));
  SendAll(fd, "\r\n");
  Reply closing = ReadReply(fd);
  EXPECT_GT(closing.body.size(), 800'000u) << "the whole reply, by its Content-Length";
  EXPECT_EQ(0u, closing.body.rfind("OK\n", 0));
  close(fd);

  fd = ConnectFrom(SERVER, PORT, "127.0.0.69");
  ASSERT_TRUE(SendAll(fd, Request(query, "") + "\r\n"));
  Reply first = ReadReply(fd);
  ASSERT_TRUE(SendAll(fd, Request(SIGN_IN, "")));
  Reply second = ReadReply(fd);
  EXPECT_EQ(closing.body, first.body);
  EXPECT_EQ(SIGNED_IN_REPLY, second.body) << "a second request on the kept connection";
  close(fd);
}

TEST_F(FrontTest, AProxiedClientIsOneClientHoweverItsAddressIsSpelled) {
  auto viaProxy = [&](const std::string& body, const std::string& client) {
    return Exchange(SERVER, Request(body, "X-Real-IP: " + client + "\r\nConnection: close\r\n"), PROXY);
  };
  using std::string_literals::operator""s;
  for (const std::string& bad : {"10.7.7.7\0tail"s, "not-an-address"s, "10.7.7.7, 10.6.6.6"s}) {
    EXPECT_EQ(0u, viaProxy(WrongSignIn(0), bad).rfind("400 ", 0)) << "never the proxy's own address";
  }
  const char* spellings[] = {"2001:db8::7", "2001:0db8::7", "2001:db8:0::7", "2001:DB8::7", "2001:db8:0:0::7",
                             "2001:db8::0:7", "2001:0DB8:0000:0000:0000:0000:0000:0007", "2001:db8:0:0:0::7",
                             "2001:db8::0007", "2001:db8:0:0:0:0::7", "2001:Db8::7"};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(std::string("200 ") + NO_ACCOUNT_REPLY, viaProxy(WrongSignIn(i), spellings[i]));
  EXPECT_EQ(std::string("200 ") + NO_ACCOUNT_REPLY, viaProxy(SIGN_IN, spellings[10])) << "held off";
}

TEST_F(FrontTest, AHeadTwoReadersCouldReadDifferentlyRunsNothing) {
  std::string body = SIGN_IN;
  const std::string refused[] = {
      "POST /norda/dbcommit.php HTTP/1.1\r\nHost: x\r\nContent-Length : " + std::to_string(body.size()) + "\r\n\r\n" + body,
      "POST /norda/dbcommit.php HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body,
      "POST norda/dbcommit.php HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body,
  };
  for (const std::string& request : refused) EXPECT_EQ(0u, Exchange(SERVER, request, "127.0.0.70").rfind("400 ", 0));
  int fd = ConnectFrom(SERVER, PORT, "127.0.0.70");
  SendAll(fd, "POST /norda/dbcommit.php HTTP/1.0\r\nExpect: 100-continue\r\nContent-Length: " +
                  std::to_string(body.size()) + "\r\n\r\n");
  std::this_thread::sleep_for(milliseconds(200));
  SendAll(fd, body);
  Reply reply = ReadReply(fd);
  EXPECT_EQ(SIGNED_IN_REPLY, reply.body);
  EXPECT_EQ(std::string::npos, reply.head.find("100 Continue")) << "no interim reply to HTTP/1.0";
  close(fd);
}

TEST_F(FrontTest, GarbageAfterARefusalIsDroppedWithinBounds) {
  int fd = ConnectFrom(SERVER, PORT, "127.0.0.71");
  SendAll(fd, "POST /norda/dbcommit.php HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n");
  std::string garbage(MIB, 'g');
  size_t pushed = 0;
  auto end = Clock::now() + std::chrono::seconds(6);
  while (Clock::now() < end) {
    ssize_t n = send(fd, garbage.data(), garbage.size(), MSG_NOSIGNAL);
    if (n <= 0) break;
    pushed += static_cast<size_t>(n);
  }
  close(fd);
  EXPECT_LT(pushed, 48 * MIB) << "read and dropped without bound";
  EXPECT_LT(Clock::now(), end) << "still open after the drain time";
}

TEST_F(FrontTest, ABurstOfConnectionsDoesNotEvictAClientThatSentItsRequestAtOnce) {
  auto own = OwnServer(TEST_ADDRESS_SERVER_FRONT_BURST, {"--max-connections", "32"});
  ASSERT_TRUE(own);
  kill(own->Pid(), SIGSTOP);
  std::vector<int> burst;
  for (int i = 0; i < 50; ++i) burst.push_back(ConnectFrom(TEST_ADDRESS_SERVER_FRONT_BURST, PORT, "127.0.0." + std::to_string(72 + i % 4)));
  int legit = ConnectFrom(TEST_ADDRESS_SERVER_FRONT_BURST, PORT, "127.0.0.76");
  SendAll(legit, Request(SIGN_IN));
  for (int i = 0; i < 50; ++i) burst.push_back(ConnectFrom(TEST_ADDRESS_SERVER_FRONT_BURST, PORT, "127.0.0." + std::to_string(72 + i % 4)));
  kill(own->Pid(), SIGCONT);
  EXPECT_EQ(SIGNED_IN_REPLY, ReadReply(legit).body);
  close(legit);
  for (int fd : burst) close(fd);
}

TEST_F(FrontTest, AKeptConnectionServesItsRequestsUntilItsCapOrIdleTimeAndEachRequestHasItsTime) {
  int fd = ConnectFrom(SERVER, PORT, "127.0.0.77");
  Reply reply;
  for (unsigned i = 1; i <= 100; ++i) {
    ASSERT_TRUE(SendAll(fd, Request(SIGN_IN, ""))) << i;
    reply = ReadReply(fd);
    ASSERT_EQ(SIGNED_IN_REPLY, reply.body) << i;
    if (i < 100) ASSERT_EQ(std::string::npos, reply.head.find("Connection: close")) << i;
  }
  EXPECT_NE(std::string::npos, reply.head.find("Connection: close")) << "the hundredth is the last";
  EXPECT_TRUE(ClosedWithin(fd, milliseconds(500)));
  close(fd);

  fd = ConnectFrom(SERVER, PORT, "127.0.0.77");
  ASSERT_TRUE(SendAll(fd, Request(SIGN_IN, "")));
  ASSERT_EQ(SIGNED_IN_REPLY, ReadReply(fd).body);
  auto idleFrom = Clock::now();
  EXPECT_TRUE(ClosedWithin(fd, milliseconds(7000)));
  EXPECT_GT(Clock::now() - idleFrom, std::chrono::seconds(4)) << "closed after the idle time";
  close(fd);

  fd = ConnectFrom(SERVER, PORT, "127.0.0.77");
  ASSERT_TRUE(SendAll(fd, Request(SIGN_IN, "")));
  ASSERT_EQ(SIGNED_IN_REPLY, ReadReply(fd).body);
  auto trickleFrom = Clock::now();
  bool cut = false;
  for (char c : Request(SIGN_IN, "")) {
    if (send(fd, &c, 1, MSG_NOSIGNAL) != 1 || ClosedWithin(fd, milliseconds(100))) {
      cut = true;
      break;
    }
  }
  EXPECT_TRUE(cut);
  EXPECT_LT(Clock::now() - trickleFrom, std::chrono::milliseconds(3000)) << "the request time is 2 s";
  close(fd);
}

}  // namespace
