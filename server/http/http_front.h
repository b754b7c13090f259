// The HTTP side of the reference server: answers POST /norda/dbcommit.php
// with the reply of a DbCommitService, on one address and port.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "server/http/work_queue.h"

class DbCommitService;
struct MHD_Daemon;

// Path of the server script, as the programs post to it.
constexpr const char* SCRIPT_PATH = "/norda/dbcommit.php";

class HttpFront {
 public:
  explicit HttpFront(DbCommitService& service);
  ~HttpFront();
  HttpFront(const HttpFront&) = delete;
  HttpFront& operator=(const HttpFront&) = delete;

  // What the request handlers reach.
  struct Context {
    DbCommitService& service;
    WorkQueue& queue;
  };

  // Starts listening on `address` (dotted IPv4) and `port`; requests run on
  // `workers` threads of its own, first come, first served.
  // Returns false with `error` set when the address is malformed or cannot
  // be bound.
  bool Start(const std::string& address, int port, unsigned workers, std::string& error);

  // Stops taking connections, lets the open ones finish (a few seconds at
  // most), then stops serving: a front server behind a balancer is taken
  // out without losing a request under way, nor one on a connection that a
  // client made before the port closed.
  void Stop();

 private:
  DbCommitService& service_;
  std::unique_ptr<WorkQueue> queue_;
  std::unique_ptr<Context> context_;
  MHD_Daemon* daemon_ = nullptr;
  std::atomic<int> openConnections_{0};
};
