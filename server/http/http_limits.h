// The limits that keep one client, or many, from taking the server from the
// others. Set from the command line; the fixed ones are named constants in
// the files that apply them.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

struct HttpLimits {
  size_t maxConnections = 1024;          // open at once, in all
  size_t maxConnectionsPerAddress = 32;  // open at once for one client address
  std::chrono::seconds requestTime{10};  // for a whole request (head and body) to arrive
  size_t maxBufferedBytes = 64 << 20;    // request bytes held past each connection's small allowance
  // Proxies (nginx in front) whose X-Real-IP / X-Forwarded-For header names
  // the client, in canonical form; from any other peer the headers are ignored.
  std::vector<std::string> trustedProxies;
};
