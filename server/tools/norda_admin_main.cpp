// norda_admin: the operator's tool beside the server, on the same database
// layer. `norda_admin` alone lists its commands.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "server/accounts/account_rules.h"
#include "server/accounts/accounts.h"
#include "server/accounts/sign_in.h"
#include "server/config/server_options.h"
#include "server/database/connection.h"
#include "server/store/schema.h"
#include "server/store/store.h"
#include "server/text/local_time.h"
#include "server/text/text_encoding.h"
#include "server/tools/billing.h"
#include "server/tools/daily_import.h"
#include "server/tools/import_text.h"
#include "server/tools/master_files.h"
#include "server/tools/sqlite_backup.h"
#include "server/tools/station_list.h"

namespace {

constexpr const char* USAGE =
    "usage: norda_admin [--config FILE] [--database DATABASE] COMMAND [ARGUMENT...] [--OPTION VALUE...]\n"
    "  DATABASE: a SQLite file, or a PostgreSQL connection string (postgresql://... or key=value ...)\n"
    "  FILE: the server's settings file; its database and sign-in rules apply unless --database\n"
    "        names another database\n"
    "database:\n"
    "  init                     create the server's tables (a SQLite file is created; a PostgreSQL\n"
    "                           database must exist and be empty)\n"
    "  upgrade                  bring a database of an earlier version up to date: add the newer\n"
    "                           tables and columns, hash every password kept in clear\n"
    "accounts (passwords are read from the terminal without echo, from standard input when it\n"
    "is no terminal, or from the first line of --password-file FILE):\n"
    "  add USER_ID CLIENT_NO    add a subscriber; the client number is five characters\n"
    "  passwd USER_ID           give the account a new password\n"
    "  disable USER_ID          switch the account off: it signs in no more\n"
    "  enable USER_ID           switch it on again\n"
    "  allowance USER_ID ROWS|none\n"
    "                           hold the account's client to ROWS observation rows a month: the\n"
    "                           server refuses its requests once it delivered that many this month\n"
    "  list                     every account: client number, whether it is off, its allowance,\n"
    "                           the rows delivered to it this month, user ID\n"
    "billing:\n"
    "  usage --month YYYY-MM [--format csv|table] [--encoding utf-8|shift-jis]\n"
    "                           per client: user IDs, usage records, the rows its program reported\n"
    "                           and the rows the server delivered in the month, \"yes\" under short\n"
    "                           when it reported fewer; and a total line (table and utf-8 unless said)\n"
    "stations and observations:\n"
    "  import-stations FILE [--encoding utf-8|shift-jis]\n"
    "                           add or rename stations: number,name,prefecture code,prefecture name,\n"
    "                           block code,block name (a heading line is skipped)\n"
    "  masters --out DIR        write M_BLOCK.dat, M_TOFUKEN.dat, M_CHITEN.dat, M_KISYU.dat,\n"
    "                           M_A_YEAR.dat and Chiten.csv for the install folder\n"
    "  import-daily FILE --station NUMBER [--columns MAP] [--encoding utf-8|shift-jis]\n"
    "                           load a station's daily values (SI units; a heading line names the\n"
    "                           columns; MAP is element=column,... for elements date, precipitation,\n"
    "                           max_hourly_precipitation, mean_wind, max_wind, max_wind_direction,\n"
    "                           prevailing_wind_direction, mean_temperature, max_temperature,\n"
    "                           min_temperature, sunshine), replacing the file's date range, and\n"
    "                           compute the summaries of the years it touches; all or nothing\n"
    "backups (SQLite; for PostgreSQL use pg_dump or pg_basebackup):\n"
    "  backup FILE              copy the database into FILE, consistent while the server writes\n"
    "  restore FILE             replace the database by the backup FILE (stop the server first)\n"
    "sign-in guessing (with the rules of --config FILE, else 10 failures in 600 seconds):\n"
    "  throttled                the addresses with failed sign-ins within the window, and\n"
    "                           whether they are held off (as many failures as the limit or more)\n"
    "  unthrottle ADDRESS       forget the failed sign-ins of ADDRESS, so it may sign in again\n";

// An account without a monthly allowance, as the operator writes and reads it.
constexpr const char* NO_ALLOWANCE = "none";
// More digits than any allowance the accounts take, so the number cannot overflow.
constexpr size_t MAX_ALLOWANCE_DIGITS = 18;

// What one command line gives a command.
struct Invocation {
  std::string database;
  AccountRules rules;
  std::vector<std::string> arguments;
  std::map<std::string, std::string> options;

  std::string Option(const std::string& name, const std::string& otherwise = "") const {
    auto found = options.find(name);
    return found == options.end() ? otherwise : found->second;
  }
};

struct Command {
  const char* name;
  size_t arguments;
  std::set<std::string> options;
  std::set<std::string> required;
  // Works through a connection to the database; or, for the commands
  // that copy the database file as a whole, on its path (runOnPath).
  std::function<bool(Connection&, const Invocation&, std::string&)> run;
  std::function<bool(const Invocation&, std::string&)> runOnPath = nullptr;
};

// Reads a line from the terminal without showing it.
std::string ReadHidden(const char* prompt) {
  fputs(prompt, stderr);
  termios saved{};
  tcgetattr(STDIN_FILENO, &saved);
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  std::string line;
  std::getline(std::cin, line);
  tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  fputs("\n", stderr);
  return line;
}

bool ReadPassword(const Invocation& invocation, std::string& password, std::string& error) {
  std::string file = invocation.Option("--password-file");
  if (!file.empty()) {
    std::ifstream in(file);
    if (!std::getline(in, password)) {
      error = "cannot read a password from " + file;
      return false;
    }
  } else if (isatty(STDIN_FILENO)) {
    password = ReadHidden("password: ");
    if (ReadHidden("the same again: ") != password) {
      error = "the two passwords differ";
      return false;
    }
  } else {
    std::getline(std::cin, password);
  }
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return true;
}

bool Throttled(Connection& db, const Invocation& invocation, std::string& error) {
  const AccountRules& rules = invocation.rules;
  printf("%-40s %8s %s\n", "address", "failures", "held off");
  auto print = [&rules](const ResultRow& row) {
    int64_t failures = row.Integer(1);
    printf("%-40s %8lld %s\n", std::string(row.Text(0)).c_str(), static_cast<long long>(failures),
           failures >= rules.failureLimit ? "yes" : "no");
  };
  return FailedSignIns(db, EpochSeconds() - rules.failureWindow.count(), print, error);
}

bool Usage(Connection& db, const Invocation& invocation, std::string& error) {
  std::string format = invocation.Option("--format", "table");
  TextEncoding encoding;
  if ((format != "csv" && format != "table") || !ParseEncoding(invocation.Option("--encoding", "utf-8"), encoding)) {
    error = "--format is csv or table, --encoding utf-8 or shift-jis";
    return false;
  }
  std::vector<BillingLine> lines;
  if (!MonthlyBilling(db, invocation.Option("--month"), lines, error)) return false;
  std::string text = format == "csv" ? BillingCsv(lines) : BillingTable(lines);
  // A spreadsheet takes a UTF-8 file for one only with its byte-order mark.
  if (encoding == TextEncoding::ShiftJis) {
    text = Utf8ToCp932(text);
  } else if (format == "csv") {
    text = "\xEF\xBB\xBF" + text;
  }
  fwrite(text.data(), 1, text.size(), stdout);
  return true;
}

bool ImportStations(Connection& db, const Invocation& invocation, std::string& error) {
  TextEncoding encoding;
  std::string text;
  std::vector<StationEntry> entries;
  const std::string& file = invocation.arguments[0];
  if (!ParseEncoding(invocation.Option("--encoding", "utf-8"), encoding)) {
    error = "--encoding is utf-8 or shift-jis";
    return false;
  }
  return ReadImportText(file, encoding, text, error) && ParseStationList(text, file, entries, error) &&
         RunInTransaction(db, [&](std::string& failure) { return SaveStationList(db, entries, failure); }, error);
}

bool ImportDaily(Connection& db, const Invocation& invocation, std::string& error) {
  TextEncoding encoding;
  std::string text, stationText = invocation.Option("--station");
  ColumnMap map;
  std::vector<ObservationRecord> days;
  const std::string& file = invocation.arguments[0];
  if (stationText.size() != 5 || stationText.find_first_not_of("0123456789") != std::string::npos) {
    error = "--station is a station number of five digits";
    return false;
  }
  if (!ParseEncoding(invocation.Option("--encoding", "utf-8"), encoding)) {
    error = "--encoding is utf-8 or shift-jis";
    return false;
  }
  int station = std::stoi(stationText);
  return ParseColumnMap(invocation.Option("--columns"), map, error) &&
         ReadImportText(file, encoding, text, error) && ParseDailyFile(text, file, station, map, days, error) &&
         RunInTransaction(db, [&](std::string& failure) { return SaveDailyRecords(db, station, days, failure); },
                          error);
}

bool Masters(Connection& db, const Invocation& invocation, std::string& error) {
  std::string folder = invocation.Option("--out");
  std::error_code failed;
  std::filesystem::create_directories(folder, failed);
  if (failed) {
    error = "cannot make the folder " + folder;
    return false;
  }
  return WriteMasterFiles(db, folder, error);
}

bool AddAccount(Connection& db, const Invocation& invocation, std::string& error) {
  std::string password;
  return ReadPassword(invocation, password, error) &&
         CreateAccount(db, invocation.arguments[0], invocation.arguments[1], password, error);
}

bool Passwd(Connection& db, const Invocation& invocation, std::string& error) {
  std::string password;
  return ReadPassword(invocation, password, error) && ChangePassword(db, invocation.arguments[0], password, error);
}

bool List(Connection& db, const Invocation&, std::string& error) {
  std::vector<AccountListing> accounts;
  if (!ListAccounts(db, LocalTimestamp().substr(0, MONTH_TEXT_LENGTH), accounts, error)) return false;
  printf("%-10s %-8s %10s %10s %s\n", "client_no", "state", "allowance", "this_month", "user_id");
  for (const AccountListing& account : accounts) {
    std::string allowance = account.hasAllowance ? std::to_string(account.allowance) : NO_ALLOWANCE;
    printf("%-10s %-8s %10s %10lld %s\n", account.clientNo.c_str(), account.disabled ? "disabled" : "enabled",
           allowance.c_str(), static_cast<long long>(account.deliveredThisMonth), account.userId.c_str());
  }
  return true;
}

bool Allowance(Connection& db, const Invocation& invocation, std::string& error) {
  const std::string& rows = invocation.arguments[1];
  if (rows == NO_ALLOWANCE) return SetAllowance(db, invocation.arguments[0], false, 0, error);
  if (rows.empty() || rows.size() > MAX_ALLOWANCE_DIGITS || rows.find_first_not_of("0123456789") != std::string::npos) {
    error = "the allowance is a number of rows or none: \"" + rows + "\"";
    return false;
  }
  return SetAllowance(db, invocation.arguments[0], true, std::stoll(rows), error);
}

const std::set<std::string> PASSWORD_OPTION = {"--password-file"};
const std::set<std::string> ENCODING_OPTION = {"--encoding"};

const Command COMMANDS[] = {
    {"init", 0, {}, {}, [](Connection& db, const Invocation&, std::string& error) { return CreateSchema(db, error); }},
    {"upgrade", 0, {}, {},
     [](Connection& db, const Invocation&, std::string& error) { return UpgradeSchema(db, error); }},
    {"add", 2, PASSWORD_OPTION, {}, AddAccount},
    {"passwd", 1, PASSWORD_OPTION, {}, Passwd},
    {"disable", 1, {}, {},
     [](Connection& db, const Invocation& i, std::string& error) {
       return SetAccountDisabled(db, i.arguments[0], true, error);
     }},
    {"enable", 1, {}, {},
     [](Connection& db, const Invocation& i, std::string& error) {
       return SetAccountDisabled(db, i.arguments[0], false, error);
     }},
    {"allowance", 2, {}, {}, Allowance},
    {"list", 0, {}, {}, List},
    {"usage", 0, {"--month", "--format", "--encoding"}, {"--month"}, Usage},
    {"import-stations", 1, ENCODING_OPTION, {}, ImportStations},
    {"masters", 0, {"--out"}, {"--out"}, Masters},
    {"import-daily", 1, {"--station", "--columns", "--encoding"}, {"--station"}, ImportDaily},
    {"throttled", 0, {}, {}, Throttled},
    {"unthrottle", 1, {}, {},
     [](Connection& db, const Invocation& i, std::string& error) {
       return ForgetFailedSignIns(db, i.arguments[0], error);
     }},
    {"backup", 1, {}, {}, nullptr,
     [](const Invocation& i, std::string& error) { return BackupSqlite(i.database, i.arguments[0], error); }},
    {"restore", 1, {}, {}, nullptr,
     [](const Invocation& i, std::string& error) { return RestoreSqlite(i.arguments[0], i.database, error); }},
};

// Takes the leading "--config FILE" and "--database DATABASE" into
// `invocation`; the database named on the line wins over the file's.
// Returns the index of the command, or 0 with `error` set.
int ReadDatabaseOptions(int argc, char** argv, Invocation& invocation, std::string& error) {
  std::string config, database;
  int i = 1;
  for (; i + 1 < argc; i += 2) {
    if (strcmp(argv[i], "--config") == 0) {
      config = argv[i + 1];
    } else if (strcmp(argv[i], "--database") == 0) {
      database = argv[i + 1];
    } else {
      break;
    }
  }
  ServerOptions settings;
  if (!config.empty() && !LoadServerConfigFile(config, settings, error)) return 0;
  invocation.database = database.empty() ? settings.store.database : database;
  invocation.rules = settings.store.rules;
  return invocation.database.empty() || i >= argc ? 0 : i;
}

// The command named on the command line with its arguments and options;
// nullptr when the line does not fit one.
const Command* ReadCommandLine(int argc, char** argv, Invocation& invocation, std::string& error) {
  int first = ReadDatabaseOptions(argc, argv, invocation, error);
  if (first == 0) return nullptr;
  const Command* command = nullptr;
  for (const Command& candidate : COMMANDS) {
    if (strcmp(argv[first], candidate.name) == 0) command = &candidate;
  }
  if (command == nullptr) return nullptr;
  for (int i = first + 1; i < argc; ++i) {
    if (strncmp(argv[i], "--", 2) != 0) {
      invocation.arguments.push_back(argv[i]);
    } else if (i + 1 < argc && command->options.count(argv[i]) > 0) {
      invocation.options[argv[i]] = argv[i + 1];
      ++i;
    } else {
      return nullptr;
    }
  }
  for (const std::string& required : command->required) {
    if (invocation.options.count(required) == 0) return nullptr;
  }
  return invocation.arguments.size() == command->arguments ? command : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  Invocation invocation;
  std::string error;
  const Command* command = ReadCommandLine(argc, argv, invocation, error);
  if (command == nullptr) {
    if (!error.empty()) fprintf(stderr, "norda_admin: %s\n", error.c_str());
    fputs(USAGE, stderr);
    return 2;
  }
  const std::string& database = invocation.database;
  if (command->runOnPath) {
    if (!command->runOnPath(invocation, error)) {
      fprintf(stderr, "norda_admin: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  // Only init makes a SQLite file; the others must not leave an empty one
  // behind a mistyped path.
  if (!IsPostgresTarget(database) && strcmp(command->name, "init") != 0 && access(database.c_str(), F_OK) != 0) {
    fprintf(stderr, "norda_admin: no database at %s\n", database.c_str());
    return 1;
  }
  std::unique_ptr<Connection> db = OpenConnection(database, ConnectionUse::Administration, error);
  if (!db || !command->run(*db, invocation, error)) {
    fprintf(stderr, "norda_admin: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
