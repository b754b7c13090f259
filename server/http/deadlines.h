// The time limits of the front's connections: at most one per connection,
// each of a kind (the whole request's arrival, the reply's sending, the
// idle wait for a next request, the drain before closing). A limit of one
// kind is mostly set later than every earlier one of that kind, so each
// kind's list stays in time order at almost no cost, and the next limit
// to expire is at the front of one of the lists.
#pragma once

#include <chrono>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

class Deadlines {
 public:
  using Clock = std::chrono::steady_clock;

  explicit Deadlines(size_t kinds) : lists_(kinds) {}

  // Gives connection `id` the limit `at` of kind `kind` (below the count
  // given to the constructor), in place of any limit it had.
  void Set(uint64_t id, size_t kind, Clock::time_point at);

  // Takes away the limit of `id`, if it has one.
  void Clear(uint64_t id);

  // The earliest limit, or Clock::time_point::max() when there is none.
  Clock::time_point Next() const;

  // Takes away and returns the connections whose limit is at or before
  // `now`, earliest kind first.
  std::vector<uint64_t> Expired(Clock::time_point now);

 private:
  struct Entry {
    uint64_t id;
    Clock::time_point at;
  };
  struct Place {
    size_t kind;
    std::list<Entry>::iterator entry;
  };

  std::vector<std::list<Entry>> lists_;
  std::unordered_map<uint64_t, Place> places_;
};
