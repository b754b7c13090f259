#include "tests/server/server_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int START_TIMEOUT_MS = 10000;
// The server writes this to its standard error once its socket listens.
constexpr const char* READY_LINE = "norda_server: serving";

// Reads the server's standard error until it reports that it listens, ends,
// or the time runs out.
bool AwaitReady(int fd) {
  std::string output;
  pollfd watch{fd, POLLIN, 0};
  while (output.find(READY_LINE) == std::string::npos) {
    if (poll(&watch, 1, START_TIMEOUT_MS) <= 0) return false;
    char buffer[512];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    output.append(buffer, static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

std::string NativeBuildFolder() {
  const char* build = getenv("TARVEX_BUILD_DIR");
  return build && *build ? build : "build/native";
}

CommandOutcome RunCommand(const std::string& command) {
  CommandOutcome outcome{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, n);
  int status = pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

std::string EngineName(Engine engine) { return engine == Engine::Sqlite ? "SQLite" : "PostgreSQL"; }

std::string PostgresCluster() {
  const char* cluster = getenv("TARVEX_POSTGRES");
  return cluster ? cluster : "";
}

std::string CopySampleDatabase(Engine engine, const std::string& folder) {
  std::string name = std::filesystem::path(folder).filename().string();
  if (engine == Engine::Sqlite) {
    std::string copy = folder + "/norda.sqlite";
    std::error_code error;
    std::filesystem::copy_file(NativeBuildFolder() + "/sample/norda.sqlite", copy,
                               std::filesystem::copy_options::overwrite_existing, error);
    return error ? "" : copy;
  }
  if (PostgresCluster().empty()) return "";
  std::string database = "norda_";
  for (char c : name) database += std::isalnum(static_cast<unsigned char>(c)) ? std::tolower(c) : '_';
  std::string error;
  std::unique_ptr<Connection> admin =
      OpenConnection(PostgresCluster() + " dbname=postgres", ConnectionUse::Administration, error);
  if (!admin || !admin->Exec("DROP DATABASE IF EXISTS " + database, error) ||
      !admin->Exec("CREATE DATABASE " + database + " TEMPLATE norda_sample", error)) {
    return "";
  }
  return PostgresCluster() + " dbname=" + database;
}

ServerProcess::~ServerProcess() { Stop(); }

bool ServerProcess::Start(const std::string& address, int port, const std::string& folder, Engine engine) {
  std::string database = CopySampleDatabase(engine, folder);
  ownsCopy_ = engine == Engine::Sqlite;
  return !database.empty() && StartOn(address, port, database);
}

bool ServerProcess::StartOn(const std::string& address, int port, const std::string& database,
                            const std::vector<std::string>& options) {
  database_ = database;
  std::string program = NativeBuildFolder() + "/server/norda_server";
  std::vector<std::string> args = {program, "--address", address, "--port", std::to_string(port),
                                   "--database", database};
  args.insert(args.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int errors[2];
  if (pipe(errors) != 0) return false;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(errors[1], STDERR_FILENO);
    close(errors[0]);
    close(errors[1]);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(errors[1]);
  // Once it listens the server's messages are of no interest; it ignores
  // the broken pipe.
  bool ready = pid_ > 0 && AwaitReady(errors[0]);
  close(errors[0]);
  if (!ready) Stop();
  return ready;
}

void ServerProcess::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  if (!ownsCopy_) return;
  ownsCopy_ = false;
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(database_ + suffix, ignored);
  database_.clear();
}
