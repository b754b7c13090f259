// The real norda_server of this build, started as a child process on a
// loopback address for one test suite or benchmark run, on a private copy
// of the sample database in either engine.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "server/database/connection.h"

// The native build folder holding server/norda_server and sample/.
std::string NativeBuildFolder();

// How a shell command ended: its exit status (-1 when it did not exit
// normally) and what it wrote to standard output.
struct CommandOutcome {
  int status;
  std::string output;
};

// Runs `command` with /bin/sh and waits for it to end.
CommandOutcome RunCommand(const std::string& command);

// The engine's name as tests show it: "SQLite" or "PostgreSQL".
std::string EngineName(Engine engine);

// The PostgreSQL cluster of tools/harness/with_postgres.sh as a connection string
// without a database name; empty when the test runs outside it.
std::string PostgresCluster();

// A private copy of the sample database named after `folder`: a SQLite file
// inside it, or a PostgreSQL database of the cluster copied from its sample.
// Returns the database as norda_server takes it, or "" on failure.
std::string CopySampleDatabase(Engine engine, const std::string& folder);

class ServerProcess {
 public:
  ~ServerProcess();

  // Copies the sample database (CopySampleDatabase) and starts the server on
  // it. Returns false when either fails.
  bool Start(const std::string& address, int port, const std::string& folder, Engine engine = Engine::Sqlite);

  // Starts the server on address:port with `database` and any further
  // options, and waits (at most ten seconds) until it reports that it
  // listens. Returns false when it does not come up, for instance when the
  // address is taken.
  bool StartOn(const std::string& address, int port, const std::string& database,
               const std::vector<std::string>& options = {});

  // Stops the server with SIGTERM, waits for it to end and, after Start,
  // removes the SQLite database copy Start made.
  void Stop();

  // The database the server runs on.
  const std::string& DatabasePath() const { return database_; }

  // The server's process, -1 when it is not running.
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::string database_;
  bool ownsCopy_ = false;
};
