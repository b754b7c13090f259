// One client connection of the front and the moving of its bytes: reading
// a request in bounded slices, writing a reply, and the orderly close
// (write side shut, the client's remaining input read and dropped within
// bounds) that keeps a reply from being cut short by a reset.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "server/http/scoped_fd.h"

enum class Phase {
  Idle,       // a kept connection between requests
  Receiving,  // a request's head and body arriving, within the request time
  Waiting,    // the request queued or running on a worker
  Sending,    // the reply going out
  Draining,   // the reply sent and the write side shut: reading and dropping until the client closes
};

struct ClientConnection {
  using Clock = std::chrono::steady_clock;

  uint64_t id = 0;
  ScopedFd fd;
  std::string peer;    // the socket's peer address, canonical
  std::string client;  // the client's address: the peer, or what a trusted proxy names
  Phase phase = Phase::Receiving;
  bool watched = false;  // registered with epoll
  bool peerClosed = false;

  // The request under way.
  Clock::time_point started;  // when its first byte came (or the connection was accepted)
  std::string received;       // its bytes so far, and any that a client sent after it
  size_t searched = 0;        // bytes of `received` searched for the end of the head
  size_t headEnd = 0;         // offset of the body once the head is complete
  size_t bodyLength = 0;
  bool keepAlive = false;     // the connection serves another request after this one
  bool http11 = false;
  unsigned requests = 0;      // requests answered on this connection

  // The reply and what the access log says of it once its fate is known.
  std::string out;
  size_t sent = 0;
  std::string kind = "-";
  std::string outcome;
  size_t drained = 0;  // bytes read and dropped while draining
};

// What a read from a socket came to.
struct ReadResult {
  size_t bytes = 0;    // taken into the buffer, or dropped
  bool ended = false;  // the client closed its side, or the connection failed
};

// Reads at most `most` bytes from `fd`, appending them to `buffer`.
ReadResult ReadSome(int fd, std::string& buffer, size_t most);

// Reads and drops at most `most` bytes from `fd`.
ReadResult DropSome(int fd, size_t most);

enum class WriteEnd { Done, Blocked, Failed };

// Writes `out` from offset `sent` on, advancing `sent`, until it is all
// written, the socket would block, or the connection failed.
WriteEnd WriteSome(int fd, const std::string& out, size_t& sent);

// True when every byte written to `fd` has been acknowledged by the client,
// or nothing the client sent lies unread (so closing sends no reset that
// would drop reply bytes still in flight).
bool ReplyDelivered(int fd);

// The whole HTTP reply: status line, headers and body. `keepAlive` says
// whether the connection stays open for another request; `http11` whether
// the request was HTTP/1.1 (an HTTP/1.0 client is told it is kept).
std::string FormatReply(int status, const std::string& body, bool keepAlive, bool http11);
