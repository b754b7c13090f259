// Client addresses in one spelling. Throttling, the work queue's turns, the
// per-address caps and the access log all key on the address as text, so
// every spelling of one address must become the same text, and text that is
// no address must never become a key.
#pragma once

#include <sys/socket.h>

#include <string>
#include <string_view>

// The canonical text of the IPv4 or IPv6 address `text` (inet_ntop's form;
// an IPv4-mapped IPv6 address becomes the IPv4 address). Returns false, and
// leaves `canonical` unchanged, when `text` is not exactly one address.
bool CanonicalAddress(std::string_view text, std::string& canonical);

// The canonical text of a socket's address; empty for other families.
std::string SocketAddressText(const sockaddr_storage& address);
