// What a hostile client tries: filling the ledger, recording usage for
// another subscriber, overflowing a month's sum, guessing passwords, slow or
// many connections, ambiguous or oversized requests. Ledger and account
// rules run on both engines; the HTTP limits on one.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/server/database_probe.h"
#include "tests/server/http_client.h"
#include "tests/server/server_process.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int PORT = 80;
constexpr const char* SCRIPT = "/norda/dbcommit.php";
constexpr const char* SIGN_IN = "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';";
constexpr const char* WRONG_SIGN_IN = "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'guess';";
constexpr const char* SIGNED_IN_REPLY = "OK\n10001\n;\n";
constexpr const char* NO_ACCOUNT_REPLY = "OK\n;\n";
constexpr const char* RECORDED_REPLY = "OK\n;\n";

std::string Usage(const std::string& clientNo, const std::string& count = "1") {
  return "INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('" + clientNo + "',now(),'" + count + "');";
}

std::string Framed(const std::string& statement) { return "sql=BEGIN;" + statement + "COMMIT;"; }

std::string Post(const std::string& server, const std::string& statement, const std::string& from) {
  HttpReply reply;
  if (!PostRaw(server, PORT, SCRIPT, Framed(statement), reply, from)) return "no answer";
  return reply.body;
}

bool IsError(const std::string& reply) { return reply.rfind("ERROR: ", 0) == 0; }

std::string Admin(const std::string& database, const std::string& arguments) {
  CommandOutcome outcome =
      RunCommand(NativeBuildFolder() + "/server/norda_admin --database '" + database + "' " + arguments);
  return outcome.status == 0 ? outcome.output : outcome.output + "(failed)";
}

class LedgerAndAccounts : public testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    server_ = GetParam() == Engine::Sqlite ? TEST_ADDRESS_SERVER_HARDENING : TEST_ADDRESS_SERVER_HARDENING_POSTGRESQL;
    static int tests = 0;
    std::string folder =
        test_support::MakeScratchFolder("hardening-" + EngineName(GetParam()) + "-" + std::to_string(++tests));
    ASSERT_TRUE(process_.Start(server_, PORT, folder, GetParam()));
  }
  std::string Post(const std::string& statement, const std::string& from) { return ::Post(server_, statement, from); }
  std::string Db(const std::string& sql) { return QueryDatabase(process_.DatabasePath(), sql); }

  std::string server_;
  ServerProcess process_;
};

INSTANTIATE_TEST_SUITE_P(Engines, LedgerAndAccounts, testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const testing::TestParamInfo<Engine>& info) { return EngineName(info.param); });

TEST_P(LedgerAndAccounts, UsageIsTakenOnlyFromAnAddressWhereItsClientSignedInLately) {
  const std::string home = "127.0.0.31", elsewhere = "127.0.0.32";
  std::string before = DatabaseSnapshot(process_.DatabasePath());
  EXPECT_TRUE(IsError(Post(Usage("10001"), home))) << "no sign-in yet";
  EXPECT_TRUE(IsError(Post(Usage(std::string(1'048'000, 'A')), home))) << "a client number of 1 MiB";
  for (const char* stranger : {"99999", "", "100011", u8"漢字"}) EXPECT_TRUE(IsError(Post(Usage(stranger), home)));
  EXPECT_EQ(before, DatabaseSnapshot(process_.DatabasePath()));

  ASSERT_EQ(SIGNED_IN_REPLY, Post(SIGN_IN, home));
  EXPECT_EQ(RECORDED_REPLY, Post(Usage("10001", "1826"), home));
  EXPECT_TRUE(IsError(Post(Usage("10001"), elsewhere))) << "signed in from another address";
  EXPECT_TRUE(IsError(Post(Usage("99999"), home))) << "another client than the one signed in";

  // An hour later the sign-in no longer counts.
  Db("UPDATE sign_in_dt SET signed_in = signed_in - 3601");
  EXPECT_TRUE(IsError(Post(Usage("10001"), home)));
  EXPECT_EQ("1|1826\n", Db("SELECT count(*), sum(data_total) FROM fee_history_dt"));
}

TEST_P(LedgerAndAccounts, AMonthsSumNeverOverflows) {
  ASSERT_EQ(SIGNED_IN_REPLY, Post(SIGN_IN, "127.0.0.33"));
  EXPECT_TRUE(IsError(Post(Usage("10001", "9223372036854775807"), "127.0.0.33")));
  // Rows recorded before counts were bounded count the bound at most.
  Db("INSERT INTO fee_history_dt VALUES ('10001', '2001-02-03 04:05:06', 9223372036854775807)");
  Db("INSERT INTO fee_history_dt VALUES ('10001', '2001-02-04 04:05:06', 9223372036854775807)");
  EXPECT_EQ("OK\n20000000\n;\n",
            Post("SELECT SUM(data_total) FROM fee_history_dt where client_no = '10001' AND feeday LIKE '2001-02%';",
                 "127.0.0.33"));
}

TEST_P(LedgerAndAccounts, PasswordsAreKeptHashedAndAccountsWithOneIdAndPasswordAllSignIn) {
  ASSERT_EQ("", AddAccount(process_.DatabasePath(), "20001", "twin", "pair"));
  ASSERT_EQ("", AddAccount(process_.DatabasePath(), "20002", "twin", "pair"));
  EXPECT_EQ("OK\n20001\n20002\n;\n",
            Post("SELECT client_no FROM client_mt WHERE user_id = 'twin' AND password = 'pair';", "127.0.0.34"));
  EXPECT_EQ("0\n", Db("SELECT count(*) FROM client_mt WHERE password NOT LIKE '$argon2id$%'"));

  // A table from before: the password in clear signs in once upgraded.
  Db("INSERT INTO client_mt(client_no, user_id, password) VALUES ('20003', 'plain', 'clear')");
  std::string plain = "SELECT client_no FROM client_mt WHERE user_id = 'plain' AND password = 'clear';";
  EXPECT_EQ(NO_ACCOUNT_REPLY, Post(plain, "127.0.0.34"));
  EXPECT_EQ("", Admin(process_.DatabasePath(), "upgrade"));
  EXPECT_EQ("0\n", Db("SELECT count(*) FROM client_mt WHERE password NOT LIKE '$argon2id$%'"));
  EXPECT_EQ("OK\n20003\n;\n", Post(plain, "127.0.0.34"));
  EXPECT_EQ(SIGNED_IN_REPLY, Post(SIGN_IN, "127.0.0.34")) << "the demo account keeps its password";
}

// A front server remembers passwords it verified lately; what the operator
// changes takes effect at once all the same.
TEST_P(LedgerAndAccounts, AChangedPasswordOrADisabledAccountCountsAtOnce) {
  const std::string from = "127.0.0.37";
  auto signIn = [&](const char* password) {
    return Post(std::string("SELECT client_no FROM client_mt WHERE user_id = 'memo' AND password = '") + password +
                    "';",
                from);
  };
  ASSERT_EQ("", AddAccount(process_.DatabasePath(), "20011", "memo", "old"));
  ASSERT_EQ("OK\n20011\n;\n", signIn("old"));
  ASSERT_EQ("OK\n20011\n;\n", signIn("old"));
  std::string passwordFile = test_support::MakeScratchFolder("hardening-password") + "/new.txt";
  ASSERT_TRUE(test_support::WriteBytes(passwordFile, "new\n"));
  ASSERT_EQ("", Admin(process_.DatabasePath(), "passwd memo --password-file " + passwordFile));
  EXPECT_EQ(NO_ACCOUNT_REPLY, signIn("old"));
  EXPECT_EQ("OK\n20011\n;\n", signIn("new"));
  ASSERT_EQ("", Admin(process_.DatabasePath(), "disable memo"));
  EXPECT_EQ(NO_ACCOUNT_REPLY, signIn("new"));
}

TEST_P(LedgerAndAccounts, RepeatedFailedSignInsHoldOffTheirAddressOnly) {
  const std::string guesser = "127.0.0.35", other = "127.0.0.36";
  for (int i = 0; i < 10; ++i) ASSERT_EQ(NO_ACCOUNT_REPLY, Post(WRONG_SIGN_IN, guesser));
  EXPECT_EQ(NO_ACCOUNT_REPLY, Post(SIGN_IN, guesser)) << "the right password, but too many failures";
  EXPECT_EQ(SIGNED_IN_REPLY, Post(SIGN_IN, other));

  std::string listed = Admin(process_.DatabasePath(), "throttled");
  EXPECT_NE(std::string::npos, listed.find(guesser + " ")) << listed;
  EXPECT_NE(std::string::npos, listed.find("10 yes")) << listed;
  EXPECT_EQ("", Admin(process_.DatabasePath(), "unthrottle " + guesser));
  EXPECT_EQ(SIGNED_IN_REPLY, Post(SIGN_IN, guesser));
}

// The HTTP front's limits, on a server of its own with small ones.
class HttpLimitsTest : public testing::Test {
 protected:
  static constexpr const char* SERVER = TEST_ADDRESS_SERVER_HARDENING_OWN;
  static constexpr const char* PROXY = "127.0.0.40";

  static void SetUpTestSuite() {
    std::string folder = test_support::MakeScratchFolder("hardening-http");
    log_ = folder + "/access.log";
    process_ = new ServerProcess;
    ASSERT_TRUE(process_->StartOn(SERVER, PORT, CopySampleDatabase(Engine::Sqlite, folder),
                                  {"--request-time", "2", "--max-connections-per-address", "4", "--trusted-proxy",
                                   PROXY, "--access-log", log_}));
  }
  static void TearDownTestSuite() {
    delete process_;
    process_ = nullptr;
  }

  static std::string Db(const std::string& sql) { return QueryDatabase(process_->DatabasePath(), sql); }

  // Sends a request head (and body) exactly as given from `from`.
  static HttpReply Send(const std::string& request, const std::string& from) {
    HttpReply reply;
    EXPECT_TRUE(SendRaw(SERVER, PORT, request, reply, from)) << request.substr(0, 200);
    return reply;
  }

  static std::string log_;
  static ServerProcess* process_;
};

std::string HttpLimitsTest::log_;
ServerProcess* HttpLimitsTest::process_ = nullptr;

std::string PostHead(const std::string& extraHeaders) {
  return std::string("POST ") + SCRIPT + " HTTP/1.1\r\nHost: x\r\n" + extraHeaders + "Connection: close\r\n\r\n";
}

TEST_F(HttpLimitsTest, AnAmbiguousBodyLengthRunsNothing) {
  ASSERT_EQ(SIGNED_IN_REPLY, Post(SERVER, SIGN_IN, "127.0.0.41"));
  std::string body = Framed(Usage("10001"));
  std::string length = "Content-Length: " + std::to_string(body.size()) + "\r\n";
  HttpReply twoLengths = Send(PostHead(length + "Content-Length: 4\r\n") + body, "127.0.0.41");
  EXPECT_EQ(400, twoLengths.status);
  HttpReply chunked = Send(PostHead("Transfer-Encoding: chunked\r\nContent-Length: 400\r\n") + body, "127.0.0.41");
  EXPECT_EQ(400, chunked.status);
  HttpReply chunkedOnly = Send(PostHead("Transfer-Encoding: chunked\r\n") + "5\r\nsql=B\r\n0\r\n\r\n", "127.0.0.41");
  EXPECT_EQ(411, chunkedOnly.status);
  EXPECT_EQ("0\n", Db("SELECT count(*) FROM fee_history_dt"));
  // The same length twice is no contradiction.
  HttpReply twice = Send(PostHead(length + length) + body, "127.0.0.41");
  EXPECT_EQ(RECORDED_REPLY, twice.body);
}

TEST_F(HttpLimitsTest, AnOversizedBodyGetsAReadableRefusal) {
  std::string huge(17 << 20, 'x');
  HttpReply reply = Send(PostHead("Content-Length: " + std::to_string(huge.size()) + "\r\n") + huge, "127.0.0.42");
  EXPECT_EQ(200, reply.status);
  EXPECT_EQ("ERROR: request body too large\n", reply.body);
}

TEST_F(HttpLimitsTest, ARequestThatTricklesInIsCutOffWhileOthersAreAnswered) {
  int slow = ConnectFrom(SERVER, PORT, "127.0.0.43");
  ASSERT_GE(slow, 0);
  auto start = Clock::now();
  std::string head = PostHead("Content-Length: 1000\r\n");
  bool cut = false;
  for (char c : head) {
    if (send(slow, &c, 1, MSG_NOSIGNAL) != 1 || ClosedWithin(slow, std::chrono::milliseconds(100))) {
      cut = true;
      break;
    }
    EXPECT_EQ(SIGNED_IN_REPLY, Post(SERVER, SIGN_IN, "127.0.0.44"));
    if (Clock::now() - start > std::chrono::seconds(5)) break;
  }
  close(slow);
  EXPECT_TRUE(cut);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(4)) << "the request time is 2 s";
}

TEST_F(HttpLimitsTest, ConnectionsOfOneAddressAreCapped) {
  std::vector<int> held;
  for (int i = 0; i < 4; ++i) held.push_back(ConnectFrom(SERVER, PORT, "127.0.0.45"));
  int extra = ConnectFrom(SERVER, PORT, "127.0.0.45");
  ASSERT_GE(extra, 0);
  EXPECT_TRUE(ClosedWithin(extra, std::chrono::milliseconds(500)));
  close(extra);
  EXPECT_EQ(SIGNED_IN_REPLY, Post(SERVER, SIGN_IN, "127.0.0.46"));
  for (int fd : held) close(fd);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(SIGNED_IN_REPLY, Post(SERVER, SIGN_IN, "127.0.0.45"));
}

TEST_F(HttpLimitsTest, OnlyATrustedProxyNamesTheClient) {
  std::string signIn = Framed(SIGN_IN), usage = Framed(Usage("10001", "7"));
  auto viaProxy = [&](const std::string& body, const std::string& client, const std::string& from) {
    return Send(PostHead("X-Real-IP: " + client + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n") + body,
                from)
        .body;
  };
  ASSERT_EQ(SIGNED_IN_REPLY, viaProxy(signIn, "10.9.8.7", PROXY));
  EXPECT_EQ("1\n", Db("SELECT count(*) FROM sign_in_dt WHERE address = '10.9.8.7'"));
  EXPECT_EQ(RECORDED_REPLY, viaProxy(usage, "10.9.8.7", PROXY));
  EXPECT_TRUE(IsError(viaProxy(usage, "10.9.8.6", PROXY))) << "another client behind the proxy";
  EXPECT_TRUE(IsError(viaProxy(usage, "10.9.8.7", "127.0.0.47"))) << "the header from a client itself";
}

TEST_F(HttpLimitsTest, EveryRequestIsLoggedWithoutItsTextAndRefusalsNameNoSchema) {
  EXPECT_EQ("ERROR: statement not allowed\n",
            Post(SERVER, "SELECT * FROM st_data_n WHERE sChiten = 1 AND d9999 = 1;", "127.0.0.48"));
  ASSERT_EQ(SIGNED_IN_REPLY, Post(SERVER, SIGN_IN, "127.0.0.48"));
  EXPECT_TRUE(IsError(Post(SERVER, Usage("10001"), "127.0.0.49")));
  // A line is written once the reply's fate is known, just after the client has it.
  std::string log;
  for (auto end = Clock::now() + std::chrono::seconds(2);
       (log = test_support::ReadBytes(log_)).find(" 127.0.0.49 ") == std::string::npos && Clock::now() < end;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_NE(std::string::npos, log.find(" 127.0.0.48 - refused: statement not allowed ")) << log;
  EXPECT_NE(std::string::npos, log.find(" 127.0.0.48 sign-in ok ")) << log;
  EXPECT_NE(std::string::npos, log.find(" 127.0.0.49 usage refused: not signed in ")) << log;
  EXPECT_EQ(std::string::npos, log.find("not-delivered")) << log;
  EXPECT_EQ(std::string::npos, log.find("tarvex")) << "a password in the log";
  EXPECT_EQ(std::string::npos, log.find("d9999")) << "request text in the log";
}

}  // namespace
