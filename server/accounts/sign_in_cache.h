// The passwords a front server verified lately, so that a subscriber who
// signs in again (the viewer signs in at every display, the launcher at
// every usage count) is not charged the slow hash each time. It remembers
// only successes, under a keyed digest of the stored hash and the password
// (the key is random and lives only in this process), never the password;
// a changed password has a new stored hash and so misses. Failures are never
// remembered: every guess costs the full hash.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

class SignInCache {
 public:
  SignInCache();

  // True when `password` was verified against `storedHash` within the
  // cache's lifetime for an entry.
  bool Knows(const std::string& storedHash, const std::string& password);

  // Remembers that `password` matches `storedHash`.
  void Remember(const std::string& storedHash, const std::string& password);

 private:
  using Clock = std::chrono::steady_clock;
  std::string Digest(const std::string& storedHash, const std::string& password) const;

  std::string key_;
  std::mutex mutex_;
  std::unordered_map<std::string, Clock::time_point> verified_;  // digest -> when it expires
};
