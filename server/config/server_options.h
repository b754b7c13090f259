// What norda_server is told at start, from its command line and its
// settings file alike: every option has one name ("--port" on the command
// line, "port" in the file) and one check of its value.
#pragma once

#include <string>

#include "server/http/http_limits.h"
#include "server/store/store.h"

struct ServerOptions {
  std::string address = "127.0.0.1";
  int port = 80;
  std::string accessLog;        // empty: standard error
  std::string metricsAddress;   // empty: no metrics listener
  int metricsPort = 0;
  StoreConfig store;
  HttpLimits limits;
};

// Sets the option `name` (without dashes) from `value`. Returns false with
// `error` set to the reason when the name is unknown or the value does not
// fit; `options` is then unchanged.
bool ApplyServerOption(const std::string& name, const std::string& value, ServerOptions& options,
                       std::string& error);

// Applies every setting of the file at `path`. Returns false with `error`
// set to "PATH:LINE: reason" at the first unknown key or bad value.
bool LoadServerConfigFile(const std::string& path, ServerOptions& options, std::string& error);

// Reads a command line of "--name value" pairs and switches standing alone
// ("--open-reads"; "open-reads = yes" in the file); "--config FILE" is read
// first wherever it stands, and the command line overrides the file (a
// repeatable option given on the command line replaces the file's values).
// Returns false with `error` set when an option is unknown, a value bad,
// or no database is named.
bool LoadServerOptions(int argc, char** argv, ServerOptions& options, std::string& error);
