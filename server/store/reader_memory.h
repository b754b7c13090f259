// Who reads from an address, as a front server last looked it up: kept for
// READER_MEMORY so that a client's run of observation requests costs one
// look-up a second rather than one each. Only readers without an allowance
// are kept (a held client's delivered rows must be current at every
// request). The usage window is still applied to the remembered sign-in's
// own time at every request, so the rule is exact at the window's end; a
// change made elsewhere (a sign-in through another front server, an account
// switched off) is seen within READER_MEMORY.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

struct Reader {
  std::string clientNo;
  int64_t signedIn = 0;  // seconds since 1970 of the sign-in that names it
  bool hasAllowance = false;
  int64_t allowance = 0;
  int64_t deliveredThisMonth = 0;  // in the table; counted only when the account has an allowance
};

class ReaderMemory {
 public:
  static constexpr std::chrono::seconds READER_MEMORY{1};

  // True with `reader` set when the reader at `address` was looked up
  // within READER_MEMORY and its sign-in is later than `signedInAfter`.
  bool Recall(const std::string& address, int64_t signedInAfter, Reader& reader);

  // Keeps `reader`, just looked up, as the one at `address` (not one with an allowance).
  void Remember(const std::string& address, const Reader& reader);

  // Drops what is kept for `address`: a sign-in from it was just recorded.
  void Forget(const std::string& address);

 private:
  using Clock = std::chrono::steady_clock;
  struct Entry {
    Reader reader;
    Clock::time_point expires;
  };
  // Past this many addresses, expired ones are dropped before another is kept.
  static constexpr size_t SWEEP_SIZE = 4096;

  std::mutex mutex_;
  std::unordered_map<std::string, Entry> readers_;
};
