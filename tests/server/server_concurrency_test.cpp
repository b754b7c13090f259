// Many clients recording usage at once: every row arrives exactly once.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/server/database_probe.h"
#include "tests/server/http_client.h"
#include "tests/server/server_process.h"
#include "tests/support/test_files.h"

namespace {

constexpr const char* ADDRESS = "127.0.20.3";
constexpr int PORT = 80;
constexpr int CLIENTS = 8;
constexpr int ROWS_PER_CLIENT = 40;

TEST(ServerConcurrency, ParallelUsageRecordsAllArriveOnce) {
  ServerProcess server;
  ASSERT_TRUE(server.Start(ADDRESS, PORT, test_support::MakeScratchFolder("server-concurrency")));
  std::atomic<int> accepted{0};
  std::vector<std::thread> clients;
  for (int client = 0; client < CLIENTS; ++client) {
    clients.emplace_back([client, &accepted] {
      for (int row = 0; row < ROWS_PER_CLIENT; ++row) {
        std::string body = "sql=BEGIN;INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('" +
                           std::to_string(30000 + client) + "',now(),'" + std::to_string(row + 1) + "');COMMIT;";
        HttpReply reply;
        if (PostRaw(ADDRESS, PORT, "/norda/dbcommit.php", body, reply) && reply.body == "OK\n;\n") ++accepted;
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
                          "count(*) = " + std::to_string(ROWS_PER_CLIENT) + ")"));
}

}  // namespace
