// The scaled-out service of deploy/ as an operator sets it up, brought up by
// tools/harness/with_deployment.sh: nginx on one address before two front servers,
// over a PostgreSQL primary and its streaming replica. What the front adds
// to the exchange, what the front servers' database role may do, and that
// stopping a front server mid-run loses no request nginx could hand to the
// other one and no acknowledged usage row.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/server/database_probe.h"
#include "tests/server/http_client.h"
#include "tests/server/server_process.h"
#include "tests/support/test_files.h"

namespace {

using test_support::EnvironmentValue;

constexpr int FRONT_PORT = 80;
constexpr int FRONT_TLS_PORT = 443;
constexpr int HANDSHAKE_REFUSED = 3;  // tls_post.py's exit status
constexpr const char* SCRIPT = "/norda/dbcommit.php";
constexpr size_t BODY_LIMIT = 1 << 20;
constexpr const char* SIGN_IN = "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';";
constexpr const char* UNREACHABLE_REPLY = "ERROR: no data server answered\n";
constexpr const char* ACCEPTED_REPLY = "OK\n;\n";
constexpr auto STOP_WAIT = std::chrono::seconds(20);
constexpr auto POLL_INTERVAL = std::chrono::milliseconds(20);

struct FrontServer {
  std::string address;
  int port = 0;
  pid_t pid = -1;  // as tools/harness/with_deployment.sh started it
};

struct Deployment {
  std::string front;
  std::vector<FrontServer> servers;
  std::string database;      // the primary as the front servers reach it
  std::string readDatabase;  // the replica, likewise
  std::string checkDatabase; // the primary as its superuser reaches it
  std::string folder;
};

Deployment FromEnvironment() {
  Deployment deployment{EnvironmentValue("TARVEX_DEPLOY_FRONT"), {}, EnvironmentValue("TARVEX_DEPLOY_DATABASE"),
                        EnvironmentValue("TARVEX_DEPLOY_READ_DATABASE"), EnvironmentValue("TARVEX_SERVER_DB"),
                        EnvironmentValue("TARVEX_DEPLOY_DIR")};
  std::istringstream servers(EnvironmentValue("TARVEX_DEPLOY_SERVERS"));
  std::istringstream pids(EnvironmentValue("TARVEX_DEPLOY_SERVER_PIDS"));
  std::string server;
  while (servers >> server) {
    FrontServer front;
    size_t colon = server.find(':');
    front.address = server.substr(0, colon);
    front.port = atoi(server.c_str() + colon + 1);
    pids >> front.pid;
    deployment.servers.push_back(front);
  }
  return deployment;
}

std::string Framed(const std::string& statement) { return "sql=BEGIN;" + statement + "COMMIT;"; }

std::string UsageRecord(int64_t total) {
  return Framed("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'" +
                std::to_string(total) + "');");
}

HttpReply Post(const std::string& address, int port, const std::string& body) {
  HttpReply reply;
  EXPECT_TRUE(PostRaw(address, port, SCRIPT, body, reply)) << address << ":" << port;
  return reply;
}

// True when nothing listens at address:port any more.
bool Refuses(const std::string& address, int port) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &target.sin_addr);
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  bool refused = connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0 && errno == ECONNREFUSED;
  close(fd);
  return refused;
}

template <typename Condition>
bool WaitFor(Condition condition) {
  auto giveUp = std::chrono::steady_clock::now() + STOP_WAIT;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(POLL_INTERVAL);
  }
  return true;
}

class DeploymentTest : public testing::Test {
 protected:
  void SetUp() override {
    deployment_ = FromEnvironment();
    ASSERT_EQ(2u, deployment_.servers.size()) << "run inside tools/harness/with_deployment.sh";
  }
  Deployment deployment_;
};

TEST_F(DeploymentTest, RepliesPassThroughNginxUnchanged) {
  struct Case {
    std::string body;
    std::string replyStart;
  } cases[] = {
      {Framed(SIGN_IN), "OK\n10001\n"},
      {Framed("SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'wrong';"), "OK\n;"},
      {Framed("SELECT SUM(data_total) FROM fee_history_dt where client_no = '99999' AND feeday LIKE '1999-01%';"),
       "OK\n0\n"},
      {Framed("SELECT * FROM st_data_t WHERE sChiten = 14001 AND d1 = 2001 AND d2 >= 1 AND d2 <= 6;"), "OK\n14001,"},
      // Five years of daily rows, the largest reply (about 100 KB).
      {Framed("SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 >= 1999 AND d2 <= 2003 UNION "
              "SELECT * FROM st_data_h WHERE sChiten = 44001 AND d2 = 2000 AND d3 = 3;"),
       "OK\n44001,"},
      {Framed("DELETE FROM fee_history_dt;"), "ERROR: "},
      {std::string(BODY_LIMIT, 'a'), "ERROR: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body.substr(0, 120));
    HttpReply viaFront = Post(deployment_.front, FRONT_PORT, c.body);
    EXPECT_EQ(200, viaFront.status);
    EXPECT_EQ(0u, viaFront.body.find(c.replyStart)) << viaFront.body.substr(0, 200);
    for (const FrontServer& server : deployment_.servers) {
      HttpReply direct = Post(server.address, server.port, c.body);
      EXPECT_EQ(direct.status, viaFront.status);
      EXPECT_EQ(direct.body, viaFront.body);
    }
  }
}

// The reply to `body` through nginx's TLS port with exactly TLS `version`,
// the certificate checked against the run's test authority: the status
// code, a line end and the body; empty when the handshake was refused.
std::string PostOverTls(const std::string& front, const std::string& version, const std::string& body) {
  std::string bodyFile = EnvironmentValue("TARVEX_DEPLOY_DIR") + "/tls-body.txt";
  EXPECT_TRUE(test_support::WriteBytes(bodyFile, body));
  std::string script = EnvironmentValue("TARVEX_SOURCE_DIR") + "/tests/deploy/tls_post.py";
  CommandOutcome outcome = RunCommand("python3 " + script + " " + front + " " + std::to_string(FRONT_TLS_PORT) + " " +
                                      EnvironmentValue("TARVEX_DEPLOY_AUTHORITY") + " " + version + " < " + bodyFile);
  EXPECT_EQ(outcome.status == 0 ? 0 : HANDSHAKE_REFUSED, outcome.status) << version;
  return outcome.output;
}

// Port 443 answers what port 80 answers, over TLS 1.2 (the programs') and
// 1.3; an older version is refused.
TEST_F(DeploymentTest, TheTlsPortAnswersAsThePlainOneWithModernVersionsOnly) {
  const char* statements[] = {SIGN_IN,
                               "SELECT * FROM st_data_t WHERE sChiten = 14001 AND d1 = 2001 AND d2 >= 1 AND d2 <= 6;"};
  for (const char* statement : statements) {
    HttpReply plain = Post(deployment_.front, FRONT_PORT, Framed(statement));
    std::string expected = std::to_string(plain.status) + "\n" + plain.body;
    for (const char* version : {"1.2", "1.3"}) {
      EXPECT_EQ(expected, PostOverTls(deployment_.front, version, Framed(statement))) << version;
    }
  }
  EXPECT_EQ("", PostOverTls(deployment_.front, "1.1", Framed(SIGN_IN)));
}

TEST_F(DeploymentTest, NginxAnswersWhatNoFrontServerShouldSee) {
  struct Case {
    std::string path, body;
    int status;
    std::string reply;
  } cases[] = {
      {SCRIPT, std::string(BODY_LIMIT + 1, 'a'), 413, "ERROR: request body too large\n"},
      {"/norda/other.php", Framed(SIGN_IN), 404, ""},
      {"/", Framed(SIGN_IN), 404, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    HttpReply reply;
    ASSERT_TRUE(PostRaw(deployment_.front, FRONT_PORT, c.path, c.body, reply));
    EXPECT_EQ(c.status, reply.status);
    if (!c.reply.empty()) {
      EXPECT_EQ(c.reply, reply.body);
    }
  }
}

TEST_F(DeploymentTest, RequestsGoToBothFrontServers) {
  constexpr int REQUESTS = 8;
  for (int i = 0; i < REQUESTS; ++i) EXPECT_EQ("OK\n10001\n;\n", Post(deployment_.front, FRONT_PORT, Framed(SIGN_IN)).body);
  std::string log = test_support::ReadBytes(deployment_.folder + "/nginx/norda-access.log");
  for (const FrontServer& server : deployment_.servers) {
    EXPECT_NE(std::string::npos, log.find("upstream=" + server.address + ":" + std::to_string(server.port)))
        << log;
  }
}

// What the machines' monitoring reads: each front server's health check
// and metrics on its metrics address, nginx's counters on loopback.
TEST_F(DeploymentTest, FrontServersAndNginxReportTheirHealth) {
  constexpr int METRICS_PORT = 9464;  // the settings files' metrics-address
  constexpr int STATUS_PORT = 8081;   // norda.conf's stub_status
  for (const FrontServer& server : deployment_.servers) {
    HttpReply health, metrics;
    ASSERT_TRUE(SendWithoutBody(server.address, METRICS_PORT, "GET", "/healthz", health));
    EXPECT_EQ(200, health.status) << server.address;
    ASSERT_TRUE(SendWithoutBody(server.address, METRICS_PORT, "GET", "/metrics", metrics));
    EXPECT_NE(std::string::npos, metrics.body.find("norda_database_pool_connections ")) << metrics.body;
  }
  HttpReply status;
  ASSERT_TRUE(SendWithoutBody(deployment_.front, STATUS_PORT, "GET", "/nginx_status", status));
  EXPECT_NE(std::string::npos, status.body.find("Active connections:")) << status.body;
}

// The front servers' role reads the accounts and observations, reads the
// ledger and adds to it, on the primary and (reads) on the replica;
// everything else is refused by the database itself.
TEST_F(DeploymentTest, FrontServerRoleMayOnlyReadAndBookUsage) {
  const std::string& primary = deployment_.database;
  const std::string& replica = deployment_.readDatabase;
  struct Case {
    const std::string& database;
    std::string sql;
    bool allowed;
  } cases[] = {
      {primary, "SELECT count(*) >= 0 FROM client_mt", true},
      {primary, "SELECT count(*) >= 0 FROM fee_history_dt", true},
      {primary, "BEGIN; INSERT INTO fee_history_dt VALUES ('10001', '2001-01-01 00:00:00', 1); ROLLBACK", true},
      {replica, "SELECT count(*) > 0 FROM st_data_h", true},
      {replica, "SELECT count(*) > 0 FROM st_data_th", true},
      {replica, "SELECT count(*) > 0 FROM st_data_rh", true},
      {replica, "SELECT count(*) > 0 FROM st_data_j", true},
      {replica, "SELECT count(*) > 0 FROM st_data_t", true},
      {replica, "SELECT count(*) > 0 FROM st_data_n", true},
      {primary, "UPDATE fee_history_dt SET data_total = 0", false},
      {primary, "DELETE FROM fee_history_dt", false},
      {primary, "TRUNCATE fee_history_dt", false},
      {primary, "INSERT INTO client_mt VALUES ('99999', 'intruder', 'x')", false},
      {primary, "UPDATE client_mt SET password = 'x'", false},
      {primary, "INSERT INTO st_data_n SELECT * FROM st_data_n LIMIT 1", false},
      {primary, "DELETE FROM st_data_h", false},
      {primary, "CREATE TABLE intruder(x integer)", false},
      {primary, "DROP TABLE st_data_j", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    std::string result = QueryDatabase(c.database, c.sql);
    if (c.allowed) {
      EXPECT_EQ(std::string::npos, result.find("SQL ERROR")) << result;
      EXPECT_EQ(std::string::npos, result.find('f')) << result;
    } else {
      EXPECT_TRUE(std::regex_search(result, std::regex("^SQL ERROR: (permission denied|must be owner)"))) << result;
    }
  }
}

// One usage record as a client saw it.
struct Outcome {
  int64_t total = 0;
  bool accepted = false;     // the reply was "OK\n;\n"
  bool afterStop = false;    // sent once the stopped server no longer listened
  HttpReply reply;
};

// Clients post usage records with distinct totals through nginx; once a
// third are answered, `stop` takes a front server away. Returns every
// record's outcome.
template <typename Stop>
std::vector<Outcome> PostUsageWhile(const std::string& front, int64_t firstTotal, Stop stop) {
  constexpr int CLIENTS = 10;
  constexpr int RECORDS_PER_CLIENT = 120;
  constexpr int64_t TOTALS_PER_CLIENT = 1000;
  // The clients' address signs in once, so its usage records are taken.
  HttpReply signedIn;
  PostRaw(front, FRONT_PORT, SCRIPT, Framed(SIGN_IN), signedIn);
  EXPECT_EQ("OK\n10001\n;\n", signedIn.body);
  std::vector<std::vector<Outcome>> outcomes(CLIENTS);
  std::atomic<int> answered{0};
  std::atomic<bool> stopped{false};
  std::vector<std::thread> clients;
  for (int client = 0; client < CLIENTS; ++client) {
    clients.emplace_back([&, client] {
      for (int i = 0; i < RECORDS_PER_CLIENT; ++i) {
        Outcome outcome;
        outcome.total = firstTotal + client * TOTALS_PER_CLIENT + i;
        outcome.afterStop = stopped;
        PostRaw(front, FRONT_PORT, SCRIPT, UsageRecord(outcome.total), outcome.reply);
        outcome.accepted = outcome.reply.status == 200 && outcome.reply.body == ACCEPTED_REPLY;
        outcomes[client].push_back(outcome);
        ++answered;
      }
    });
  }
  while (answered < CLIENTS * RECORDS_PER_CLIENT / 3) std::this_thread::sleep_for(POLL_INTERVAL / 10);
  stop();
  stopped = true;
  for (std::thread& client : clients) client.join();
  std::vector<Outcome> all;
  for (const std::vector<Outcome>& some : outcomes) all.insert(all.end(), some.begin(), some.end());
  return all;
}

// The ledger rows with totals from `first` to `last`: total -> row count.
std::map<int64_t, int> LedgerRows(const std::string& database, int64_t first, int64_t last) {
  std::map<int64_t, int> rows;
  std::istringstream lines(QueryDatabase(database, "SELECT data_total, count(*) FROM fee_history_dt WHERE data_total "
                                                   "BETWEEN " + std::to_string(first) + " AND " +
                                                   std::to_string(last) + " GROUP BY data_total"));
  std::string line;
  while (std::getline(lines, line)) rows[std::stoll(line)] = std::stoi(line.substr(line.find('|') + 1));
  return rows;
}

TEST_F(DeploymentTest, StoppingAFrontServerMidRunLosesNoRequestAndNoAcknowledgedRow) {
  // Each run takes away another front server, and starts it again after.
  // Before its SIGTERM the first one is paused for a moment, so that
  // connections nginx made and sent requests on wait for it to take them.
  struct Run {
    const char* name;
    int signal;
    bool pausedFirst;
  } runs[] = {{"SIGTERM", SIGTERM, true}, {"SIGKILL", SIGKILL, false}};
  constexpr int64_t TOTALS_PER_RUN = 100000;
  constexpr auto PAUSE = std::chrono::milliseconds(200);
  std::vector<std::unique_ptr<ServerProcess>> restarted;
  for (size_t r = 0; r < std::size(runs); ++r) {
    const Run& run = runs[r];
    SCOPED_TRACE(run.name);
    const FrontServer& victim = deployment_.servers[r];
    int64_t firstTotal = (r + 1) * TOTALS_PER_RUN;
    std::vector<Outcome> outcomes = PostUsageWhile(deployment_.front, firstTotal, [&] {
      if (run.pausedFirst) {
        ASSERT_EQ(0, kill(victim.pid, SIGSTOP));
        std::this_thread::sleep_for(PAUSE);
      }
      ASSERT_EQ(0, kill(victim.pid, run.signal));
      if (run.pausedFirst) {
        ASSERT_EQ(0, kill(victim.pid, SIGCONT));
      }
      ASSERT_TRUE(WaitFor([&] { return Refuses(victim.address, victim.port); }));
    });

    std::map<int64_t, int> rows = LedgerRows(deployment_.checkDatabase, firstTotal, firstTotal + TOTALS_PER_RUN - 1);
    int accepted = 0, afterStop = 0;
    for (const Outcome& outcome : outcomes) {
      SCOPED_TRACE(outcome.total);
      afterStop += outcome.afterStop;
      int booked = rows.count(outcome.total) ? rows[outcome.total] : 0;
      rows.erase(outcome.total);
      if (outcome.accepted) {
        ++accepted;
        EXPECT_EQ(1, booked) << "an acknowledged usage record must be booked exactly once";
      } else {
        EXPECT_LE(booked, 1);
        // Only a request under way in the killed server may fail, and it
        // fails as nginx says so.
        EXPECT_EQ(SIGKILL, run.signal) << outcome.reply.status << " " << outcome.reply.body;
        EXPECT_FALSE(outcome.afterStop) << "nginx could have sent this request to the other server";
        EXPECT_EQ(502, outcome.reply.status);
        EXPECT_EQ(UNREACHABLE_REPLY, outcome.reply.body);
      }
    }
    EXPECT_TRUE(rows.empty()) << "ledger rows nobody sent";
    EXPECT_GT(afterStop, 0) << "the server was stopped too late to matter";
    printf("%s: %zu usage records, %d acknowledged, %d sent after the stop\n", run.name, outcomes.size(), accepted,
           afterStop);

    ASSERT_TRUE(WaitFor([&] { return kill(victim.pid, 0) != 0; })) << "the stopped server did not end";
    restarted.push_back(std::make_unique<ServerProcess>());
    ASSERT_TRUE(restarted.back()->StartOn(victim.address, victim.port, deployment_.database,
                                          {"--read-database", deployment_.readDatabase}));
  }
}

}  // namespace
