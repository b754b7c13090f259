// The settings file of norda_server and norda_admin: which files are taken
// and with what values, which are refused and why, the command line over the
// file, and norda_admin judging sign-in guessing by the rules of the file a
// running server was started with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/config/server_options.h"
#include "server/http/http_front.h"
#include "tests/server/http_client.h"
#include "tests/server/server_process.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

constexpr int PORT = 80;

struct FileCase {
  const char* name;
  const char* text;
  const char* error;  // a part of the message, or "" when the file is taken
};

const FileCase FILE_CASES[] = {
    {"comments and blanks", "# the primary\n\n  database = a.sqlite  \n\t# done\n", ""},
    {"a connection string keeps its = and spaces", "database = host=db user=norda dbname=norda\n", ""},
    {"every kind of value",
     "database = a.sqlite\naddress = 10.0.0.1\nport = 8080\nmetrics-address = 127.0.0.1:9464\n"
     "trusted-proxy = 10.0.0.2\ntrusted-proxy = 10.0.0.3\nsign-in-failures = 3\nsign-in-window = 60\n"
     "usage-window = 120\nrequest-time = 5\nmax-connections = 10\nmax-connections-per-address = 2\n",
     ""},
    {"an unknown key", "database = a.sqlite\nportt = 80\n", ":2: unknown key \"portt\""},
    {"a key with dashes in front", "--port = 80\n", ":1: \"--port\" is not a key"},
    {"no equals sign", "database a.sqlite\n", ":1: not a \"key = value\" line"},
    {"no value", "database =\n", ":1: database has no value"},
    {"a port out of range", "port = 65536\n", ":1: port = 65536: not a whole number from 1 to 65535"},
    {"a number with a unit", "sign-in-window = 10m\n", ":1: sign-in-window = 10m: not a whole number"},
    {"a host name where an address is due", "address = localhost\n", ":1: address = localhost: not an IPv4"},
    {"metrics without a port", "metrics-address = 127.0.0.1\n", "not an IPv4 address and port"},
    {"a setting given twice", "port = 80\nport = 81\n", ":2: port is set twice"},
    {"a switch on", "open-reads = yes\n", ""},
    {"a switch neither on nor off", "open-reads = 1\n", ":1: open-reads = 1: not yes or no"},
};

class ConfigFileCases : public testing::TestWithParam<FileCase> {};

TEST_P(ConfigFileCases, AreTakenOrRefusedWithFileLineAndReason) {
  std::string path = test_support::MakeScratchFolder("config-cases") + "/norda.conf";
  ASSERT_TRUE(test_support::WriteBytes(path, GetParam().text));
  ServerOptions options;
  std::string error;
  bool taken = LoadServerConfigFile(path, options, error);
  if (*GetParam().error == '\0') {
    EXPECT_TRUE(taken) << error;
  } else {
    EXPECT_FALSE(taken);
    EXPECT_EQ(0u, error.find(path)) << error;
    EXPECT_NE(std::string::npos, error.find(GetParam().error)) << error;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, ConfigFileCases, testing::ValuesIn(FILE_CASES),
                         [](const testing::TestParamInfo<FileCase>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c; ++c) name += isalnum(*c) ? *c : '_';
                           return name;
                         });

TEST(ConfigFile, GivesEveryValueAndTheCommandLineOverridesIt) {
  std::string path = test_support::MakeScratchFolder("config-override") + "/norda.conf";
  ASSERT_TRUE(test_support::WriteBytes(path,
                                       "database = file.sqlite\nport = 8080\ntrusted-proxy = 10.0.0.2\n"
                                       "trusted-proxy = 10.0.0.3\nsign-in-failures = 3\n"
                                       "metrics-address = 127.0.0.9:9464\n"));
  std::vector<std::string> words = {"norda_server", "--port",          "8081",    "--open-reads",
                                    "--config",     path,              "--trusted-proxy", "10.0.0.4"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  ServerOptions options;
  std::string error;
  ASSERT_TRUE(LoadServerOptions(static_cast<int>(argv.size()), argv.data(), options, error)) << error;
  EXPECT_EQ("file.sqlite", options.store.database);
  EXPECT_EQ(8081, options.port) << "the command line wins, wherever --config stands";
  EXPECT_EQ(std::vector<std::string>{"10.0.0.4"}, options.limits.trustedProxies);
  EXPECT_EQ(3, options.store.rules.failureLimit);
  EXPECT_TRUE(options.store.openReads) << "a switch stands alone on the command line";
  EXPECT_EQ("127.0.0.9", options.metricsAddress);
  EXPECT_EQ(9464, options.metricsPort);
}

TEST(ConfigFile, ARefusedFileStopsTheServerAtStartWithItsLine) {
  std::string path = test_support::MakeScratchFolder("config-refused") + "/norda.conf";
  ASSERT_TRUE(test_support::WriteBytes(path, "database = x.sqlite\nrequest-time = 0\n"));
  CommandOutcome outcome = RunCommand(NativeBuildFolder() + "/server/norda_server --config " + path + " 2>&1");
  EXPECT_EQ(2, outcome.status);
  EXPECT_EQ(0u, outcome.output.find("norda_server: " + path + ":2: request-time = 0: not a whole number"))
      << outcome.output;
}

// norda_admin throttled with a server that holds addresses off after 3
// failures in a minute: the tool reads the rules from the same file, where
// its defaults (10 failures) would call the address not held off.
TEST(ConfigFile, AdminJudgesSignInGuessingByTheServersRules) {
  const std::string server = TEST_ADDRESS_SERVER_CONFIG, guesser = "127.0.0.43";
  std::string folder = test_support::MakeScratchFolder("config-throttled");
  std::string database = CopySampleDatabase(Engine::Sqlite, folder);
  ASSERT_FALSE(database.empty());
  std::string config = folder + "/norda-test.conf";
  ASSERT_TRUE(test_support::WriteBytes(config, "database = " + database +
                                                   "\nsign-in-failures = 3\nsign-in-window = 60\n"));
  ServerProcess process;
  ASSERT_TRUE(process.StartOn(server, PORT, database, {"--config", config}));
  const std::string wrong = "sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'x';COMMIT;";
  const std::string right =
      "sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';COMMIT;";
  HttpReply reply;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(PostRaw(server, PORT, SCRIPT_PATH, wrong, reply, guesser));
  ASSERT_TRUE(PostRaw(server, PORT, SCRIPT_PATH, right, reply, guesser));
  EXPECT_EQ("OK\n;\n", reply.body) << "held off after 3 failures, as the file says";

  std::string admin = NativeBuildFolder() + "/server/norda_admin --config " + config + " throttled 2>&1";
  CommandOutcome listed = RunCommand(admin);
  ASSERT_EQ(0, listed.status) << listed.output;
  EXPECT_NE(std::string::npos, listed.output.find(guesser)) << listed.output;
  EXPECT_NE(std::string::npos, listed.output.find("3 yes")) << listed.output;
}

}  // namespace
