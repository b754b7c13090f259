// The HTTP side of the reference server: answers POST /norda/dbcommit.php
// with the reply of a DbCommitService, on one address and port. One thread
// moves the bytes of every connection; each complete request runs on a work
// queue, the client addresses taking turns, each one's requests in order.
//
// The front is four parts: the listener (the socket, accepting in bounded
// batches, the graceful stop), admission (connection caps, the fair share
// of request memory, proxy trust, who gives way), deadlines (one time limit
// per connection and phase) and the connection's byte handling (bounded
// reads, the reply, the orderly close). This file joins them in the event
// loop.
//
// A connection serves up to MAX_REQUESTS_PER_CONNECTION requests while the
// client keeps it (HTTP/1.1, or "Connection: keep-alive" on HTTP/1.0) and
// is closed after IDLE_TIME without a next request; every request is held
// to all the limits as if it came on a connection of its own.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "server/http/http_limits.h"

class AccessLog;
class DbCommitService;
class ServerMetrics;

// Path of the server script, as the programs post to it.
constexpr const char* SCRIPT_PATH = "/norda/dbcommit.php";
// Requests one connection may carry before the server closes it.
constexpr unsigned MAX_REQUESTS_PER_CONNECTION = 100;
// How long a kept connection may wait for its next request.
constexpr std::chrono::seconds IDLE_TIME{5};

class HttpFront {
 public:
  // `service`, `log` and `metrics` (told of connections, bytes, rows and the
  // loop's turns) stay owned by the caller and must outlive the front.
  HttpFront(DbCommitService& service, AccessLog& log, HttpLimits limits, ServerMetrics& metrics);
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
