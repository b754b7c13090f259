// norda_admin: the operator's tool beside the server, on the same database
// layer. `norda_admin` alone lists its commands.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "server/accounts/account_rules.h"
#include "server/store/connection.h"
#include "server/store/schema.h"
#include "server/store/store.h"

namespace {

constexpr const char* USAGE =
    "usage: norda_admin --database DATABASE COMMAND [ARGUMENT...]\n"
    "  DATABASE: a SQLite file, or a PostgreSQL connection string (postgresql://... or key=value ...)\n"
    "commands:\n"
    "  init                 create the server's tables (a SQLite file is created; a PostgreSQL\n"
    "                       database must exist and be empty)\n"
    "  upgrade              bring a database of an earlier version up to date: add the sign-in\n"
    "                       tables and hash every password kept in clear\n"
    "  throttled            the addresses with failed sign-ins in the last 600 seconds, and\n"
    "                       whether they are held off (10 failures or more)\n"
    "  unthrottle ADDRESS   forget the failed sign-ins of ADDRESS, so it may sign in again\n";

using Arguments = std::vector<std::string>;

struct Command {
  const char* name;
  size_t arguments;
  std::function<bool(Connection&, const Arguments&, std::string&)> run;
};

bool Throttled(Connection& db, const Arguments&, std::string& error) {
  AccountRules rules;
  int64_t since = EpochSeconds() - rules.failureWindow.count();
  printf("%-40s %8s %s\n", "address", "failures", "held off");
  return db.Run(
      "SELECT address, count(*) FROM sign_in_failure_dt WHERE failed_at > $1 GROUP BY address ORDER BY address",
      {since},
      [&rules](const ResultRow& row) {
        int64_t failures = row.Integer(1);
        printf("%-40s %8lld %s\n", std::string(row.Text(0)).c_str(), static_cast<long long>(failures),
               failures >= rules.failureLimit ? "yes" : "no");
      },
      error);
}

bool Unthrottle(Connection& db, const Arguments& arguments, std::string& error) {
  return db.Run("DELETE FROM sign_in_failure_dt WHERE address = $1", {arguments[0]}, nullptr, error);
}

const Command COMMANDS[] = {
    {"init", 0, [](Connection& db, const Arguments&, std::string& error) { return CreateSchema(db, error); }},
    {"upgrade", 0, [](Connection& db, const Arguments&, std::string& error) { return UpgradeSchema(db, error); }},
    {"throttled", 0, Throttled},
    {"unthrottle", 1, Unthrottle},
};

}  // namespace

int main(int argc, char** argv) {
  const Command* command = nullptr;
  if (argc >= 4 && strcmp(argv[1], "--database") == 0) {
    for (const Command& candidate : COMMANDS) {
      if (strcmp(argv[3], candidate.name) == 0 && static_cast<size_t>(argc - 4) == candidate.arguments) {
        command = &candidate;
      }
    }
  }
  if (command == nullptr) {
    fputs(USAGE, stderr);
    return 2;
  }
  std::string error;
  std::unique_ptr<Connection> db = OpenConnection(argv[2], ConnectionUse::Administration, error);
  if (!db || !command->run(*db, Arguments(argv + 4, argv + argc), error)) {
    fprintf(stderr, "norda_admin: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
