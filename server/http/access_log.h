// One line per request: when it ended, the client's address, what kind of
// statement it was, how it ended, how long it took and whether its reply
// reached the client. Never a password or any other text of the request:
// refusal details name only what was wrong.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

class ServerMetrics;

// What became of a request's reply.
enum class ReplyFate {
  Delivered,     // every byte written and taken by the client
  NotDelivered,  // the connection ended before the client took it all
  NoReply,       // none was sent (the request never arrived whole)
};

class AccessLog {
 public:
  // Writes to standard error until Open names a file.
  AccessLog() = default;
  ~AccessLog();
  AccessLog(const AccessLog&) = delete;
  AccessLog& operator=(const AccessLog&) = delete;

  // Appends to the file at `path` from now on. Returns false with `error`
  // set when it cannot be opened.
  bool Open(const std::string& path, std::string& error);

  // Counts every request written from now on in `metrics` too, which must
  // outlive the log: the metrics see exactly the requests the log shows.
  void CountInto(ServerMetrics& metrics) { metrics_ = &metrics; }

  // "2026-12-07T12:34:56 127.0.0.5 sign-in ok 0.42ms delivered"; safe from
  // any thread.
  void Write(const std::string& address, const std::string& kind, const std::string& outcome, double milliseconds,
             ReplyFate fate);

 private:
  std::mutex mutex_;
  FILE* file_ = nullptr;
  ServerMetrics* metrics_ = nullptr;
};
