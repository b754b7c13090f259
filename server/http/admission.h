// Who may hold what of the front: connections in all and per client
// address, and the request bytes held. Each connection is counted against a
// key, its client's canonical address: the socket's peer, or the client a
// trusted proxy names for the request under way.
//
// Memory is shared fairly. Every connection may hold a small request
// (SMALL_REQUEST_BYTES) outside the shared budget, so a client that sends a
// sign-in or a query is always answered; bytes past that count against the
// budget, of which one address may hold only a share. When the budget is
// full, the receiving connection that holds most bytes gives way (of equal
// ones, the one receiving longest), never a newcomer for being new.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>

#include "server/http/http_limits.h"

// Bytes of each connection held outside the shared budget: a head of the
// largest size and a body of the size the programs send.
constexpr size_t SMALL_REQUEST_BYTES = 16 << 10;
// One address may hold this fraction of the shared budget.
constexpr size_t ADDRESS_SHARE_DIVISOR = 4;

class Admission {
 public:
  using Clock = std::chrono::steady_clock;

  explicit Admission(const HttpLimits& limits);

  // True when `peer` is a proxy whose headers name the client.
  bool IsTrustedProxy(const std::string& peer) const;

  // False when `peer` has all the connections one address may have (a
  // trusted proxy is not capped: its clients are, request by request).
  bool MayOpen(const std::string& peer) const;

  // True when every connection place is taken.
  bool Full() const { return entries_.size() >= limits_.maxConnections; }

  // Counts connection `id` of `peer`, receiving since `started`.
  void Opened(uint64_t id, const std::string& peer, Clock::time_point started);

  // Counts `id` and its bytes against `client` from now on. False, with
  // nothing changed, when `client` has all its connections already.
  bool NameClient(uint64_t id, const std::string& client);

  // `id` has had its last reply and only waits for the client to close
  // (at most the drain time): it no longer counts against its address, so a
  // client that opens a connection a request is not held back by the ones
  // it is closing.
  void Finished(uint64_t id);

  // Forgets `id` and the bytes it held.
  void Closed(uint64_t id);

  // Whether `id` may be made to give way: only a connection receiving a
  // request, never one whose request runs or whose reply goes out.
  // `started` is when its request began.
  void SetReceiving(uint64_t id, bool receiving, Clock::time_point started);

  // The receiving connection that has been receiving longest, which gives
  // way when connections or descriptors run out; none when no connection
  // is receiving.
  std::optional<uint64_t> LongestReceiving() const;

  enum class Verdict {
    Taken,      // the bytes are counted
    OverShare,  // the connection's address holds its share of the budget
    GiveWay,    // the budget is full and `victim` holds more: close it and ask again
    Busy,       // the budget is full and nobody holds more than this connection
  };

  // Asks to hold `bytes` more for `id`.
  Verdict Take(uint64_t id, size_t bytes, uint64_t& victim);

  // Lets go of `bytes` that `id` held.
  void Release(uint64_t id, size_t bytes);

  // Bytes held by every connection together, allowances included.
  size_t Held() const { return held_; }

 private:
  struct Entry {
    std::string key;
    size_t held = 0;
    Clock::time_point started;
    bool receiving = true;
    bool finished = false;  // no longer counted against its key
  };
  // Receiving connections, largest counted bytes last; of equal ones the
  // one receiving longest last.
  using ByBytes = std::set<std::tuple<size_t, Clock::rep, uint64_t>>;

  static size_t CountedOf(size_t held) { return held > SMALL_REQUEST_BYTES ? held - SMALL_REQUEST_BYTES : 0; }
  void Unlist(uint64_t id, const Entry& entry);
  void List(uint64_t id, const Entry& entry);
  void ChangeHeld(uint64_t id, Entry& entry, size_t held);

  HttpLimits limits_;
  std::unordered_map<uint64_t, Entry> entries_;
  std::map<std::string, size_t> connectionsOf_;  // per key
  std::map<std::string, size_t> countedOf_;      // per key, of the shared budget
  size_t counted_ = 0;
  size_t held_ = 0;
  ByBytes byBytes_;
  std::set<std::pair<Clock::time_point, uint64_t>> byAge_;  // receiving connections, longest receiving first
};
