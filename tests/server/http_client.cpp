#include "tests/server/http_client.h"

#include <arpa/inet.h>
#include <poll.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

bool SendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

int ConnectFrom(const std::string& address, int port, const std::string& from) {
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, address.c_str(), &server.sin_addr) != 1) return -1;
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in source{};
  source.sin_family = AF_INET;
  bool bound = from.empty() || (inet_pton(AF_INET, from.c_str(), &source.sin_addr) == 1 &&
                                bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source) == 0);
  if (!bound || connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool SendRaw(const std::string& address, int port, const std::string& request, HttpReply& reply,
             const std::string& from) {
  int fd = ConnectFrom(address, port, from);
  if (fd < 0) return false;
  // A server may answer and close before it has read a refused body; read
  // whatever reply arrived even when sending failed half way.
  std::string response;
  SendAll(fd, request);
  char buffer[65536];
  ssize_t n;
  while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) response.append(buffer, static_cast<size_t>(n));
  close(fd);
  size_t headerEnd = response.find("\r\n\r\n");
  if (response.compare(0, 9, "HTTP/1.1 ") != 0 || headerEnd == std::string::npos) return false;
  reply.status = atoi(response.c_str() + 9);
  reply.body = response.substr(headerEnd + 4);
  return true;
}

bool PostRaw(const std::string& address, int port, const std::string& path, const std::string& body,
             HttpReply& reply, const std::string& from) {
  std::string request = "POST " + path + " HTTP/1.1\r\nHost: " + address +
                        "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                        std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
  return SendRaw(address, port, request, reply, from);
}

bool SendWithoutBody(const std::string& address, int port, const std::string& method, const std::string& path,
                     HttpReply& reply) {
  return SendRaw(address, port, method + " " + path + " HTTP/1.1\r\nHost: " + address + "\r\nConnection: close\r\n\r\n",
                 reply);
}

bool ClosedWithin(int fd, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  char buffer[4096];
  while (std::chrono::steady_clock::now() < end) {
    pollfd watch{fd, POLLIN, 0};
    if (poll(&watch, 1, 50) > 0 && recv(fd, buffer, sizeof buffer, 0) <= 0) return true;
  }
  return false;
}
