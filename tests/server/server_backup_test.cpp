// norda_admin backup and restore on the SQLite file of a running server:
// usage records keep arriving while the copy is taken, and the restored
// database holds every record acknowledged before the backup began, passes
// the integrity check and is served again.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

#include "server/http/http_front.h"
#include "tests/server/database_probe.h"
#include "tests/server/http_client.h"
#include "tests/server/server_process.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

constexpr int PORT = 80;
constexpr const char* SERVER = TEST_ADDRESS_SERVER_BACKUP;
constexpr const char* RESTORED_SERVER = TEST_ADDRESS_SERVER_BACKUP_RESTORED;
constexpr const char* SIGN_IN =
    "sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';COMMIT;";
// Records acknowledged before the copy starts, at the least.
constexpr int RECORDS_BEFORE = 50;

std::string UsageRecord(int number) {
  return "sql=BEGIN;INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'" +
         std::to_string(number) + "');COMMIT;";
}

std::string Admin(const std::string& arguments) {
  return RunCommand(NativeBuildFolder() + "/server/norda_admin " + arguments + " 2>&1").output;
}

// The usage records the sample database did not hold: their data_total is
// the number the writer gave them.
std::set<int> RecordsIn(const std::string& database) {
  std::set<int> numbers;
  std::string rows = QueryDatabase(database, "SELECT data_total FROM fee_history_dt");
  for (size_t start = 0, end; (end = rows.find('\n', start)) != std::string::npos; start = end + 1) {
    numbers.insert(std::stoi(rows.substr(start, end - start)));
  }
  return numbers;
}

TEST(SqliteBackup, HoldsEveryRecordAcknowledgedBeforeItBeganAndIsServedAgain) {
  std::string folder = test_support::MakeScratchFolder("backup");
  ServerProcess server;
  ASSERT_TRUE(server.Start(SERVER, PORT, folder));
  HttpReply reply;
  ASSERT_TRUE(PostRaw(SERVER, PORT, SCRIPT_PATH, SIGN_IN, reply));
  ASSERT_EQ("OK\n10001\n;\n", reply.body);

  std::atomic<int> acknowledged{0};
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int number = 1; !stop; ++number) {
      HttpReply recorded;
      if (PostRaw(SERVER, PORT, SCRIPT_PATH, UsageRecord(number), recorded) && recorded.body == "OK\n;\n") {
        acknowledged = number;
      }
    }
  });
  while (acknowledged < RECORDS_BEFORE) std::this_thread::yield();
  int beforeBackup = acknowledged;
  std::string backup = folder + "/norda.backup";
  std::string said = Admin("--database " + server.DatabasePath() + " backup " + backup);
  int afterBackup = acknowledged;
  stop = true;
  writer.join();
  server.Stop();
  ASSERT_EQ("", said);
  EXPECT_GT(afterBackup, beforeBackup) << "records went on being written during the backup";

  std::string restored = folder + "/restored.sqlite";
  ASSERT_EQ("", Admin("--database " + restored + " restore " + backup));
  std::set<int> kept = RecordsIn(restored);
  for (int number = 1; number <= beforeBackup; ++number) ASSERT_EQ(1u, kept.count(number)) << number;
  EXPECT_EQ("ok\n", QueryDatabase(restored, "PRAGMA integrity_check"));

  ServerProcess again;
  ASSERT_TRUE(again.StartOn(RESTORED_SERVER, PORT, restored));
  ASSERT_TRUE(PostRaw(RESTORED_SERVER, PORT, SCRIPT_PATH, SIGN_IN, reply));
  EXPECT_EQ("OK\n10001\n;\n", reply.body);
}

struct Refusal {
  const char* name;
  const char* arguments;  // %F: a scratch folder
  const char* message;
};

const Refusal REFUSALS[] = {
    {"backup of PostgreSQL", "--database postgresql://norda@127.0.0.1/norda backup %F/b", "pg_dump"},
    {"restore into PostgreSQL", "--database postgresql://norda@127.0.0.1/norda restore %F/b", "pg_dump"},
    {"restore of a file that is no database", "--database %F/r.sqlite restore %F/text", "integrity"},
    {"restore of a database without the server's tables", "--database %F/r.sqlite restore %F/other.sqlite",
     "no backup of the server's database"},
    {"backup of a missing database", "--database %F/missing.sqlite backup %F/b", "cannot open"},
};

class BackupRefusals : public testing::TestWithParam<Refusal> {};

TEST_P(BackupRefusals, SayWhyAndLeaveNothingBehind) {
  std::string folder = test_support::MakeScratchFolder("backup-refusals");
  ASSERT_TRUE(test_support::WriteBytes(folder + "/text", std::string(4096, 'x')));
  QueryDatabase(folder + "/other.sqlite", "CREATE TABLE IF NOT EXISTS t(x)");
  std::string arguments = GetParam().arguments;
  for (size_t at; (at = arguments.find("%F")) != std::string::npos;) arguments.replace(at, 2, folder);
  CommandOutcome outcome = RunCommand(NativeBuildFolder() + "/server/norda_admin " + arguments + " 2>&1");
  EXPECT_EQ(1, outcome.status);
  EXPECT_NE(std::string::npos, outcome.output.find(GetParam().message)) << outcome.output;
  EXPECT_FALSE(test_support::FileExists(folder + "/b"));
  EXPECT_FALSE(test_support::FileExists(folder + "/b.part"));
}

INSTANTIATE_TEST_SUITE_P(Cases, BackupRefusals, testing::ValuesIn(REFUSALS),
                         [](const testing::TestParamInfo<Refusal>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c; ++c) name += isalnum(*c) ? *c : '_';
                           return name;
                         });

}  // namespace
