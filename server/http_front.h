// The HTTP side of the reference server: answers POST /norda/dbcommit.php
// with the reply of a DbCommitService, on one address and port.
#pragma once

#include <string>

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

  // Starts listening on `address` (dotted IPv4) and `port` and serves from
  // threads of its own. Returns false with `error` set when the address is
  // malformed or cannot be bound.
  bool Start(const std::string& address, int port, std::string& error);

  // Stops listening and waits for the requests in progress.
  void Stop();

 private:
  DbCommitService& service_;
  MHD_Daemon* daemon_ = nullptr;
};
