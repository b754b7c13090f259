// The TLS front that tests/https/with_tls_front.sh runs around the HTTPS
// tests, as the Windows side sees it: its addresses, the reference server
// behind it and nginx's logs of the requests it took.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_addresses.h"

namespace tls_front {

// Port 443 of each: the test authority's certificate for the address (the
// front proper), one from an authority nobody trusts, one for another host
// name, an expired one, and a trusted one whose server redirects every
// request to plain http.
constexpr char FRONT[] = TEST_ADDRESS_HTTPS_FRONT;
constexpr char UNKNOWN_ISSUER[] = TEST_ADDRESS_HTTPS_UNKNOWN_ISSUER;
constexpr char OTHER_HOST[] = TEST_ADDRESS_HTTPS_OTHER_HOST;
constexpr char EXPIRED[] = TEST_ADDRESS_HTTPS_EXPIRED;
constexpr char REDIRECTING[] = TEST_ADDRESS_HTTPS_REDIRECTING;

// The reference server behind the front, reached directly in clear: the
// plain road the secure one is compared with. Empty outside the wrapper.
std::string Server();

// The lines of one of nginx's request logs: "secure" (over TLS on FRONT and
// REDIRECTING), "refused" (over TLS on the other three, which no program may
// reach) or "plain" (in clear on port 80 of any of them).
std::vector<std::string> LogLines(const std::string& log);

// The lines that `log` gained after its first `before` lines, once at least
// `count` are there (or the wait ran out).
std::vector<std::string> NewLogLines(const std::string& log, size_t before, size_t count);

// Observation rows delivered to the demo client so far, by the server's
// ledger (asked in clear); -1 when it cannot be read.
long LedgerTotal();

}  // namespace tls_front
