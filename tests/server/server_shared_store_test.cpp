// Several front servers over one PostgreSQL database, observation reads from
// a streaming replica, and the database going away and coming back. Runs
// inside tools/harness/with_postgres.sh; the replica is a second private cluster.
#include <gtest/gtest.h>

#include <atomic>
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

constexpr int PORT = 80;
constexpr const char* SCRIPT = "/norda/dbcommit.php";
constexpr const char* FIRST_FRONT = TEST_ADDRESS_SERVER_SHARED_STORE_FIRST;
constexpr const char* SECOND_FRONT = TEST_ADDRESS_SERVER_SHARED_STORE_SECOND;
constexpr const char* REPLICA_FRONT = TEST_ADDRESS_SERVER_SHARED_STORE_READER;
constexpr const char* REPLICA_ADDRESS = TEST_ADDRESS_SERVER_SHARED_STORE_REPLICA;
constexpr int CLIENTS_PER_FRONT = 4;
constexpr int ROWS_PER_CLIENT = 25;
constexpr int READS_PER_CLIENT = 10;
// The rows of OBSERVATIONS[1]: one station's months of one year.
constexpr int MONTHS_A_YEAR = 12;
// A request may wait this long for an absent database before it must have
// been answered (the server's own limits are 5 s to connect, 10 s a statement).
constexpr auto ANSWER_BOUND = std::chrono::seconds(15);

constexpr const char* SIGN_IN = "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';";
constexpr const char* USAGE = "INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'5');";
const char* const OBSERVATIONS[] = {
    "SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 2002 AND (d3 = 11 AND (d7 >= 20 AND d7 <= 31)) "
    "UNION SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 2002 AND d3 > 11 "
    "UNION SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 > 2002 AND d2 < 2003 "
    "UNION SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 2003 AND d3 < 01 "
    "UNION SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 2003 AND (d3 = 01 AND (d7 >= 1 AND d7 <= 10));",
    "SELECT * FROM st_data_t WHERE sChiten = 14001 AND d1 = 2001 AND (d2 >= 01 AND d2 <= 12);",
    "SELECT * FROM st_data_n WHERE sChiten = 11001 AND (d1 >= 1999 AND d1 <= 2003);",
};

std::string Post(const std::string& address, const std::string& statement) {
  HttpReply reply;
  if (!PostRaw(address, PORT, SCRIPT, "sql=BEGIN;" + statement + "COMMIT;", reply)) return "no answer";
  return reply.body;
}

bool IsError(const std::string& reply) { return reply.rfind("ERROR: ", 0) == 0 && reply.back() == '\n'; }

std::string ClusterTool() { return test_support::EnvironmentValue("TARVEX_SOURCE_DIR") + "/tools/harness/postgres_cluster.sh"; }

// Runs tools/harness/postgres_cluster.sh with `arguments`; true when it succeeds.
bool Cluster(const std::string& arguments) { return std::system((ClusterTool() + " " + arguments).c_str()) == 0; }

std::string PrimaryFolder() { return test_support::EnvironmentValue("TARVEX_POSTGRES_DIR"); }

// Sends `signal` to the primary cluster's server process and its children.
bool SignalCluster(const std::string& signal) {
  std::string pid = test_support::ReadBytes(PrimaryFolder() + "/data/postmaster.pid");
  pid = pid.substr(0, pid.find('\n'));
  if (pid.empty()) return false;
  std::string command = "pkill -" + signal + " -P " + pid + "; kill -" + signal + " " + pid;
  return std::system(command.c_str()) == 0;
}

std::string DatabaseName(const std::string& database) { return database.substr(database.rfind("dbname=") + 7); }

class SharedStore : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(PostgresCluster().empty()) << "run inside tools/harness/with_postgres.sh"; }
};

TEST_F(SharedStore, TwoFrontServersRecordEveryUsageRowOnce) {
  std::string database = CopySampleDatabase(Engine::Postgres, test_support::MakeScratchFolder("shared-ledger"));
  ServerProcess first, second;
  ASSERT_TRUE(first.StartOn(FIRST_FRONT, PORT, database));
  ASSERT_TRUE(second.StartOn(SECOND_FRONT, PORT, database));
  // One sign-in through the first server lets this address record usage
  // through either: the sign-in is kept in the shared database.
  ASSERT_EQ("OK\n10001\n;\n", Post(FIRST_FRONT, SIGN_IN));

  std::atomic<int> acknowledged{0};
  std::vector<std::thread> clients;
  for (const char* front : {FIRST_FRONT, SECOND_FRONT}) {
    for (int client = 0; client < CLIENTS_PER_FRONT; ++client) {
      clients.emplace_back([front, &acknowledged] {
        for (int row = 0; row < ROWS_PER_CLIENT; ++row) acknowledged += Post(front, USAGE) == "OK\n;\n";
      });
    }
  }
  for (std::thread& client : clients) client.join();

  int rows = 2 * CLIENTS_PER_FRONT * ROWS_PER_CLIENT;
  EXPECT_EQ(rows, acknowledged.load());
  EXPECT_EQ(std::to_string(rows) + "\n", QueryDatabase(database, "SELECT count(*) FROM fee_history_dt"));
  std::string month = QueryDatabase(database, "SELECT substr(min(feeday), 1, 7) FROM fee_history_dt");
  month.pop_back();
  std::string sum = "SELECT SUM(data_total) FROM fee_history_dt where client_no = '10001' AND feeday LIKE '" + month + "%';";
  // Rows recorded in the last second of a month fall into the next one.
  std::string total = QueryDatabase(database, "SELECT sum(data_total) FROM fee_history_dt WHERE feeday LIKE '" + month + "%'");
  EXPECT_EQ("OK\n" + total + ";\n", Post(FIRST_FRONT, sum));
  EXPECT_EQ("OK\n" + total + ";\n", Post(SECOND_FRONT, sum));
}

// Every observation reply through either front is added to the one tally
// of the client that signed in, none lost to the other front's additions
// nor to the fronts stopping.
TEST_F(SharedStore, TwoFrontServersAddEveryReplyToOneTally) {
  std::string database = CopySampleDatabase(Engine::Postgres, test_support::MakeScratchFolder("shared-tally"));
  ServerProcess first, second;
  ASSERT_TRUE(first.StartOn(FIRST_FRONT, PORT, database));
  ASSERT_TRUE(second.StartOn(SECOND_FRONT, PORT, database));
  EXPECT_TRUE(IsError(Post(SECOND_FRONT, OBSERVATIONS[1]))) << "no sign-in yet";
  ASSERT_EQ("OK\n10001\n;\n", Post(FIRST_FRONT, SIGN_IN));

  std::atomic<int> served{0};
  std::vector<std::thread> clients;
  for (const char* front : {FIRST_FRONT, SECOND_FRONT}) {
    for (int client = 0; client < CLIENTS_PER_FRONT; ++client) {
      clients.emplace_back([front, &served] {
        for (int read = 0; read < READS_PER_CLIENT; ++read) {
          served += Post(front, OBSERVATIONS[1]).rfind("OK\n", 0) == 0;
        }
      });
    }
  }
  for (std::thread& client : clients) client.join();

  int reads = 2 * CLIENTS_PER_FRONT * READS_PER_CLIENT;
  EXPECT_EQ(reads, served.load());
  // Each front writes what it has not written yet as it stops.
  first.Stop();
  second.Stop();
  EXPECT_EQ("10001|" + std::to_string(reads * MONTHS_A_YEAR) + "\n",
            QueryDatabase(database, "SELECT client_no, sum(delivered_rows) FROM delivery_dt GROUP BY client_no"));
}

// Observation rows from a replica made with pg_basebackup: the same bytes
// as the primary gives, and still served while the primary is down, when
// sign-in (always on the primary) fails. The replica's front serves data
// only (open reads): the record of sign-ins and the tally live on the
// primary, so a metered front could not go on without it.
TEST_F(SharedStore, ObservationsComeFromTheReplicaAlikeToThePrimary) {
  std::string database = CopySampleDatabase(Engine::Postgres, test_support::MakeScratchFolder("shared-replica"));
  std::string replicaFolder = test_support::MakeScratchFolder("shared-replica-cluster");
  ASSERT_TRUE(Cluster("replica " + replicaFolder + "/cluster " + REPLICA_ADDRESS + " " +
                      test_support::EnvironmentValue("TARVEX_POSTGRES_PORT") + " " +
                      test_support::EnvironmentValue("TARVEX_POSTGRES_ADDRESS") + " " +
                      test_support::EnvironmentValue("TARVEX_POSTGRES_PORT")));
  std::string replica = "host=" + std::string(REPLICA_ADDRESS) + " port=" +
                        test_support::EnvironmentValue("TARVEX_POSTGRES_PORT") + " user=postgres dbname=" +
                        DatabaseName(database);
  EXPECT_EQ("t\n", QueryDatabase(replica, "SELECT pg_is_in_recovery()"));

  ServerProcess primaryOnly, withReplica;
  ASSERT_TRUE(primaryOnly.StartOn(FIRST_FRONT, PORT, database));
  ASSERT_TRUE(withReplica.StartOn(REPLICA_FRONT, PORT, database, {"--read-database", replica, "--open-reads"}));
  ASSERT_EQ("OK\n10001\n;\n", Post(FIRST_FRONT, SIGN_IN));
  std::vector<std::string> fromPrimary;
  for (const char* statement : OBSERVATIONS) {
    fromPrimary.push_back(Post(FIRST_FRONT, statement));
    EXPECT_EQ(0u, fromPrimary.back().rfind("OK\n", 0)) << statement;
    EXPECT_EQ(fromPrimary.back(), Post(REPLICA_FRONT, statement)) << statement;
  }
  EXPECT_EQ("OK\n10001\n;\n", Post(REPLICA_FRONT, SIGN_IN));

  ASSERT_TRUE(Cluster("stop " + PrimaryFolder()));
  for (size_t i = 0; i < fromPrimary.size(); ++i) EXPECT_EQ(fromPrimary[i], Post(REPLICA_FRONT, OBSERVATIONS[i]));
  EXPECT_TRUE(IsError(Post(REPLICA_FRONT, SIGN_IN)));
  ASSERT_TRUE(Cluster("start " + PrimaryFolder()));
  EXPECT_EQ("OK\n10001\n;\n", Post(REPLICA_FRONT, SIGN_IN));
  Cluster("stop " + replicaFolder + "/cluster");
}

// Every kind of request while the database is down or stalled: an
// "ERROR:" line within a bounded time, nothing recorded; once it is back
// the same server serves again.
TEST_F(SharedStore, AnAbsentDatabaseGivesErrorLinesUntilItIsBack) {
  std::string database = CopySampleDatabase(Engine::Postgres, test_support::MakeScratchFolder("shared-faults"));
  ServerProcess server;
  ASSERT_TRUE(server.StartOn(FIRST_FRONT, PORT, database));
  ASSERT_EQ("OK\n10001\n;\n", Post(FIRST_FRONT, SIGN_IN));
  std::string observation = Post(FIRST_FRONT, OBSERVATIONS[1]);
  ASSERT_EQ(0u, observation.rfind("OK\n", 0));

  auto expectBoundedErrors = [&](const char* situation, const std::vector<const char*>& statements) {
    for (const char* statement : statements) {
      auto start = std::chrono::steady_clock::now();
      std::string reply = Post(FIRST_FRONT, statement);
      EXPECT_TRUE(IsError(reply)) << situation << ": " << statement << "\n" << reply;
      EXPECT_LT(std::chrono::steady_clock::now() - start, ANSWER_BOUND) << situation << ": " << statement;
    }
  };
  ASSERT_TRUE(Cluster("stop " + PrimaryFolder()));
  expectBoundedErrors("stopped", {SIGN_IN, USAGE, OBSERVATIONS[1]});
  ASSERT_TRUE(Cluster("start " + PrimaryFolder()));
  EXPECT_EQ("OK\n10001\n;\n", Post(FIRST_FRONT, SIGN_IN));
  EXPECT_EQ(observation, Post(FIRST_FRONT, OBSERVATIONS[1]));

  // A database that takes connections but never answers (its processes
  // stopped, as on a host that hangs). Only reads: a usage row sent to a
  // stalled database may still be written once it wakes, though the
  // request was answered with an error.
  ASSERT_TRUE(SignalCluster("STOP"));
  expectBoundedErrors("stalled", {SIGN_IN, OBSERVATIONS[1]});
  ASSERT_TRUE(SignalCluster("CONT"));

  EXPECT_EQ("OK\n;\n", Post(FIRST_FRONT, USAGE));
  EXPECT_EQ("1\n", QueryDatabase(database, "SELECT count(*) FROM fee_history_dt"));
}

}  // namespace
