// Runs inside tools/harness/with_server.sh: the server it started answers on the
// exported address, with the exported private copy of the sample database.
#include <gtest/gtest.h>

#include <string>

#include "tests/server/database_probe.h"
#include "tests/server/http_client.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

TEST(WithServer, ExportsAServerRunningOnAPrivateDatabaseCopy) {
  std::string address = test_support::EnvironmentValue("TARVEX_SERVER_ADDRESS");
  std::string database = test_support::EnvironmentValue("TARVEX_SERVER_DB");
  ASSERT_EQ(TEST_ADDRESS_SERVER_WITH_SERVER, address);
  ASSERT_TRUE(test_support::FileExists(database));
  EXPECT_EQ(std::string::npos, database.find("/sample/"));

  ASSERT_EQ("", AddAccount(database, "20003", "copy", "check"));
  HttpReply reply;
  ASSERT_TRUE(PostRaw(address, 80, "/norda/dbcommit.php",
                      "sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = 'copy' AND password = 'check';COMMIT;",
                      reply));
  EXPECT_EQ(200, reply.status);
  EXPECT_EQ("OK\n20003\n;\n", reply.body);
}

}  // namespace
