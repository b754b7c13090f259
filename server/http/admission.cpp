#include "server/http/admission.h"

#include <algorithm>

Admission::Admission(const HttpLimits& limits) : limits_(limits) {}

bool Admission::IsTrustedProxy(const std::string& peer) const {
  return std::find(limits_.trustedProxies.begin(), limits_.trustedProxies.end(), peer) !=
         limits_.trustedProxies.end();
}

bool Admission::MayOpen(const std::string& peer) const {
  if (IsTrustedProxy(peer)) return true;
  auto found = connectionsOf_.find(peer);
  return found == connectionsOf_.end() || found->second < limits_.maxConnectionsPerAddress;
}

void Admission::Opened(uint64_t id, const std::string& peer, Clock::time_point started) {
  Entry& entry = entries_[id];
  entry.key = peer;
  entry.started = started;
  ++connectionsOf_[peer];
  List(id, entry);
}

bool Admission::NameClient(uint64_t id, const std::string& client) {
  Entry& entry = entries_.at(id);
  if (entry.key == client) return true;
  auto found = connectionsOf_.find(client);
  if (found != connectionsOf_.end() && found->second >= limits_.maxConnectionsPerAddress) return false;
  size_t counted = CountedOf(entry.held);
  if (--connectionsOf_[entry.key] == 0) connectionsOf_.erase(entry.key);
  if (counted > 0 && (countedOf_[entry.key] -= counted) == 0) countedOf_.erase(entry.key);
  entry.key = client;
  ++connectionsOf_[client];
  if (counted > 0) countedOf_[client] += counted;
  return true;
}

void Admission::Finished(uint64_t id) {
  Entry& entry = entries_.at(id);
  if (entry.finished) return;
  entry.finished = true;
  if (--connectionsOf_[entry.key] == 0) connectionsOf_.erase(entry.key);
}

void Admission::Closed(uint64_t id) {
  auto found = entries_.find(id);
  if (found == entries_.end()) return;
  Entry& entry = found->second;
  ChangeHeld(id, entry, 0);
  Unlist(id, entry);
  Finished(id);
  entries_.erase(found);
}

void Admission::SetReceiving(uint64_t id, bool receiving, Clock::time_point started) {
  Entry& entry = entries_.at(id);
  Unlist(id, entry);
  entry.receiving = receiving;
  entry.started = started;
  List(id, entry);
}

std::optional<uint64_t> Admission::LongestReceiving() const {
  if (byAge_.empty()) return std::nullopt;
  return byAge_.begin()->second;
}

Admission::Verdict Admission::Take(uint64_t id, size_t bytes, uint64_t& victim) {
  Entry& entry = entries_.at(id);
  size_t more = CountedOf(entry.held + bytes) - CountedOf(entry.held);
  if (more > 0) {
    size_t share = limits_.maxBufferedBytes / ADDRESS_SHARE_DIVISOR;
    auto own = countedOf_.find(entry.key);
    if ((own == countedOf_.end() ? 0 : own->second) + more > share) return Verdict::OverShare;
    if (counted_ + more > limits_.maxBufferedBytes) {
      if (byBytes_.empty()) return Verdict::Busy;
      auto [largest, age, largestId] = *byBytes_.rbegin();
      if (largestId == id || largest <= CountedOf(entry.held)) return Verdict::Busy;
      victim = largestId;
      return Verdict::GiveWay;
    }
  }
  ChangeHeld(id, entry, entry.held + bytes);
  return Verdict::Taken;
}

void Admission::Release(uint64_t id, size_t bytes) {
  auto found = entries_.find(id);
  if (found == entries_.end()) return;
  ChangeHeld(id, found->second, found->second.held - std::min(bytes, found->second.held));
}

void Admission::ChangeHeld(uint64_t id, Entry& entry, size_t held) {
  Unlist(id, entry);
  size_t before = CountedOf(entry.held), after = CountedOf(held);
  counted_ = counted_ - before + after;
  held_ = held_ - entry.held + held;
  size_t& ofKey = countedOf_[entry.key];
  ofKey = ofKey - before + after;
  if (ofKey == 0) countedOf_.erase(entry.key);
  entry.held = held;
  List(id, entry);
}

void Admission::Unlist(uint64_t id, const Entry& entry) {
  if (!entry.receiving) return;
  byBytes_.erase({CountedOf(entry.held), -entry.started.time_since_epoch().count(), id});
  byAge_.erase({entry.started, id});
}

void Admission::List(uint64_t id, const Entry& entry) {
  if (!entry.receiving) return;
  byBytes_.insert({CountedOf(entry.held), -entry.started.time_since_epoch().count(), id});
  byAge_.insert({entry.started, id});
}
