// The rules that guard accounts and the usage ledger, with their defaults.
// The server takes them from its command line; norda_admin shows the
// sign-in failures against the same defaults.
#pragma once

#include <chrono>
#include <cstdint>

// The most rows one usage record may count: a report holds at most 256
// stations, and a century of days is 36,525 periods (256 x 36,525 =
// 9,350,400). A larger count is refused, and a month's sum can never
// overflow.
constexpr int64_t MAX_USAGE_ROWS = 10'000'000;

struct AccountRules {
  // After this many failed sign-ins from one address within failureWindow,
  // further sign-ins from it answer no account until the window has passed.
  int64_t failureLimit = 10;
  std::chrono::seconds failureWindow{600};
  // A usage row is taken only for a client that signed in from the same
  // address within this time.
  std::chrono::seconds usageWindow{3600};
};
