#include "server/http/client_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>

namespace {

std::string Ipv4Text(const in_addr& address) {
  char text[INET_ADDRSTRLEN] = "";
  inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

std::string Ipv6Text(const in6_addr& address) {
  if (IN6_IS_ADDR_V4MAPPED(&address)) {
    in_addr mapped;
    memcpy(&mapped, &address.s6_addr[12], sizeof mapped);
    return Ipv4Text(mapped);
  }
  char text[INET6_ADDRSTRLEN] = "";
  inet_ntop(AF_INET6, &address, text, sizeof text);
  return text;
}

}  // namespace

bool CanonicalAddress(std::string_view text, std::string& canonical) {
  // inet_pton reads up to a NUL: a copy makes the whole text count.
  std::string whole(text);
  if (whole.size() != strlen(whole.c_str())) return false;
  in_addr v4;
  in6_addr v6;
  if (inet_pton(AF_INET, whole.c_str(), &v4) == 1) {
    canonical = Ipv4Text(v4);
    return true;
  }
  if (inet_pton(AF_INET6, whole.c_str(), &v6) == 1) {
    canonical = Ipv6Text(v6);
    return true;
  }
  return false;
}

std::string SocketAddressText(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) return Ipv4Text(reinterpret_cast<const sockaddr_in&>(address).sin_addr);
  if (address.ss_family == AF_INET6) return Ipv6Text(reinterpret_cast<const sockaddr_in6&>(address).sin6_addr);
  return "";
}
