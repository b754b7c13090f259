// The listening socket of the front: opened on an IPv4 address and port,
// accepting in bounded batches so a flood of connection requests cannot
// starve the connections already open, and closed on stop without
// resetting a connection a client has already made.
#pragma once

#include <functional>
#include <string>

#include "server/http/scoped_fd.h"

class Listener {
 public:
  // Listens on `address` (dotted IPv4) and `port`. Returns false with
  // `error` set when the address is malformed or cannot be bound.
  bool Open(const std::string& address, int port, std::string& error);

  // The listening socket, -1 once closed; owned by the listener.
  int Fd() const { return fd_.Get(); }

  enum class AcceptEnd {
    Drained,           // no connection waits any more
    SliceUsed,         // `most` were accepted; more may wait
    OutOfDescriptors,  // the process or the system has no descriptor left
  };

  // Accepts up to `most` waiting connections and hands each to `take` with
  // its peer's canonical address; `take` owns the socket from then on.
  AcceptEnd AcceptSome(size_t most, const std::function<void(ScopedFd, const std::string&)>& take);

  // From now on connection requests are dropped, while handshakes under way
  // still complete: a client whose request was dropped sends it again a
  // second later and then finds the port closed.
  void IgnoreConnectionRequests();

  // Closes the port.
  void Close() { fd_.Reset(); }

 private:
  ScopedFd fd_;
};
