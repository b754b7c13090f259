// The HTTP side of the reference server: answers POST /norda/dbcommit.php
// with the reply of a DbCommitService, on one address and port. One thread
// moves the bytes of every connection; each complete request runs on a work
// queue, the client addresses taking turns, each one's requests in order.
//
// Hostile clients are held to limits: a whole request (head and body) must
// arrive within a fixed time whatever its pace, connections are capped in
// all and per client address, the request bytes held (arriving, waiting for
// a worker or being answered) are capped, heads and bodies have a size
// limit, and a head whose body length two readers could take differently is
// refused. Every reply closes its connection.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class AccessLog;
class DbCommitService;

// Path of the server script, as the programs post to it.
constexpr const char* SCRIPT_PATH = "/norda/dbcommit.php";

struct HttpLimits {
  size_t maxConnections = 1024;          // open at once, in all
  size_t maxConnectionsPerAddress = 32;  // open at once from one client address
  std::chrono::seconds requestTime{10};  // for a whole request to arrive
  size_t maxBufferedBytes = 64 << 20;    // request bytes held: arriving, queued or being answered
  // Proxies (nginx in front) whose X-Real-IP / X-Forwarded-For header names
  // the client; from any other peer the headers are ignored.
  std::vector<std::string> trustedProxies;
};

class HttpFront {
 public:
  // `service` and `log` stay owned by the caller and must outlive the front.
  HttpFront(DbCommitService& service, AccessLog& log, HttpLimits limits);
  ~HttpFront();
  HttpFront(const HttpFront&) = delete;
  HttpFront& operator=(const HttpFront&) = delete;

  // Starts listening on `address` (dotted IPv4) and `port`; requests run on
  // `workers` threads. Returns false with `error` set when the address is
  // malformed or cannot be bound.
  bool Start(const std::string& address, int port, unsigned workers, std::string& error);

  // Stops taking connections, lets the requests under way be answered (ten
  // seconds at most), then stops: a front server behind a balancer is taken
  // out without losing a request it accepted.
  void Stop();

  class Loop;

 private:
  std::unique_ptr<Loop> loop_;
};
