// Many clients signing in and recording usage at once: every row arrives
// exactly once.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/server/database_probe.h"
#include "tests/server/http_client.h"
#include "tests/server/server_process.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

constexpr int PORT = 80;
constexpr int CLIENTS = 8;
constexpr int ROWS_PER_CLIENT = 40;

class ServerConcurrency : public testing::TestWithParam<Engine> {};

INSTANTIATE_TEST_SUITE_P(Engines, ServerConcurrency, testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const testing::TestParamInfo<Engine>& info) { return EngineName(info.param); });

TEST_P(ServerConcurrency, ParallelUsageRecordsAllArriveOnce) {
  const char* address = GetParam() == Engine::Sqlite ? TEST_ADDRESS_SERVER_CONCURRENCY : TEST_ADDRESS_SERVER_CONCURRENCY_POSTGRESQL;
  ServerProcess server;
  ASSERT_TRUE(server.Start(address, PORT, test_support::MakeScratchFolder("server-concurrency-" + EngineName(GetParam())),
                           GetParam()));
  // Each client is a subscriber of its own on an address of its own: it
  // signs in, then records its rows.
  std::atomic<int> accepted{0};
  std::vector<std::thread> clients;
  for (int client = 0; client < CLIENTS; ++client) {
    std::string clientNo = std::to_string(30000 + client), user = "user" + clientNo;
    ASSERT_EQ("", AddAccount(server.DatabasePath(), clientNo, user, "secret"));
    clients.emplace_back([clientNo, user, from = "127.0.0." + std::to_string(10 + client), &accepted, address] {
      HttpReply reply;
      std::string signIn = "sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = '" + user +
                           "' AND password = 'secret';COMMIT;";
      if (!PostRaw(address, PORT, "/norda/dbcommit.php", signIn, reply, from) || reply.body != "OK\n" + clientNo + "\n;\n") {
        return;
      }
      for (int row = 0; row < ROWS_PER_CLIENT; ++row) {
        std::string body = "sql=BEGIN;INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('" + clientNo +
                           "',now(),'" + std::to_string(row + 1) + "');COMMIT;";
        if (PostRaw(address, PORT, "/norda/dbcommit.php", body, reply, from) && reply.body == "OK\n;\n") ++accepted;
      }
    });
  }
  for (std::thread& client : clients) client.join();

  EXPECT_EQ(CLIENTS * ROWS_PER_CLIENT, accepted.load());
  int perClientSum = ROWS_PER_CLIENT * (ROWS_PER_CLIENT + 1) / 2;
  EXPECT_EQ(std::to_string(CLIENTS * ROWS_PER_CLIENT) + "|" + std::to_string(CLIENTS * perClientSum) + "\n",
            QueryDatabase(server.DatabasePath(), "SELECT count(*), sum(data_total) FROM fee_history_dt"));
  EXPECT_EQ(std::to_string(CLIENTS) + "\n",
            QueryDatabase(server.DatabasePath(),
                          "SELECT count(*) FROM (SELECT client_no FROM fee_history_dt GROUP BY client_no HAVING "
                          "count(*) = " + std::to_string(ROWS_PER_CLIENT) + ") AS full_clients"));
}

}  // namespace
