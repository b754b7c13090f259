#include "server/http/deadlines.h"

#include <algorithm>

void Deadlines::Set(uint64_t id, size_t kind, Clock::time_point at) {
  Clear(id);
  std::list<Entry>& list = lists_[kind];
  auto before = list.end();
  while (before != list.begin() && std::prev(before)->at > at) --before;
  places_[id] = Place{kind, list.insert(before, Entry{id, at})};
}

void Deadlines::Clear(uint64_t id) {
  auto found = places_.find(id);
  if (found == places_.end()) return;
  lists_[found->second.kind].erase(found->second.entry);
  places_.erase(found);
}

Deadlines::Clock::time_point Deadlines::Next() const {
  Clock::time_point next = Clock::time_point::max();
  for (const std::list<Entry>& list : lists_) {
    if (!list.empty()) next = std::min(next, list.front().at);
  }
  return next;
}

std::vector<uint64_t> Deadlines::Expired(Clock::time_point now) {
  std::vector<uint64_t> expired;
  for (std::list<Entry>& list : lists_) {
    while (!list.empty() && list.front().at <= now) {
      expired.push_back(list.front().id);
      places_.erase(list.front().id);
      list.pop_front();
    }
  }
  return expired;
}
