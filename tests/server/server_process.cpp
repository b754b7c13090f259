#include "tests/server/server_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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

ServerProcess::~ServerProcess() { Stop(); }

bool ServerProcess::Start(const std::string& address, int port, const std::string& folder) {
  std::string build = NativeBuildFolder();
  database_ = folder + "/norda.sqlite";
  std::error_code error;
  std::filesystem::copy_file(build + "/sample/norda.sqlite", database_,
                             std::filesystem::copy_options::overwrite_existing, error);
  if (error) return false;
  std::string program = build + "/server/norda_server";
  std::string portText = std::to_string(port);
  int errors[2];
  if (pipe(errors) != 0) return false;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(errors[1], STDERR_FILENO);
    close(errors[0]);
    close(errors[1]);
    execl(program.c_str(), program.c_str(), "--address", address.c_str(), "--port", portText.c_str(),
          "--database", database_.c_str(), static_cast<char*>(nullptr));
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
  if (database_.empty()) return;
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(database_ + suffix, ignored);
  database_.clear();
}
