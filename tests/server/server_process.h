// The real norda_server of this build, started as a child process on a
// loopback address for one test suite or benchmark run, against a private
// copy of the sample database.
#pragma once

#include <sys/types.h>

#include <string>

// The native build folder holding server/norda_server and sample/.
std::string NativeBuildFolder();

class ServerProcess {
 public:
  ~ServerProcess();

  // Copies the build's sample database into `folder`, starts the server on
  // address:port with the copy, and waits (at most ten seconds) until the
  // server reports that it listens. Returns false when it does not come up,
  // for instance when the address is taken.
  bool Start(const std::string& address, int port, const std::string& folder);

  // Stops the server with SIGTERM, waits for it to end and removes the
  // database copy.
  void Stop();

  // Path of the database copy the server runs on.
  const std::string& DatabasePath() const { return database_; }

 private:
  pid_t pid_ = -1;
  std::string database_;
};
