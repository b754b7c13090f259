// A minimal HTTP/1.1 client for the server tests and the benchmark: posts a
// body byte for byte, as the programs do, and reads the whole reply.
#pragma once

#include <chrono>
#include <string>

struct HttpReply {
  int status = 0;
  std::string body;
};

// Posts `body` unchanged to http://address:port/path with the form content
// type and "Connection: close", from the loopback address `from` when it is
// given (so a test can act as several clients). Returns false when the
// exchange fails at the socket level or the reply has no status line.
bool PostRaw(const std::string& address, int port, const std::string& path, const std::string& body,
             HttpReply& reply, const std::string& from = "");

// Sends `request` exactly as given (head and body) from `from` (or any
// address) and reads the whole reply.
bool SendRaw(const std::string& address, int port, const std::string& request, HttpReply& reply,
             const std::string& from = "");

// A TCP connection to address:port from the loopback address `from` (or
// any); -1 when it cannot be made. The caller closes it.
int ConnectFrom(const std::string& address, int port, const std::string& from);

// Sends a request with any method and no body.
bool SendWithoutBody(const std::string& address, int port, const std::string& method, const std::string& path,
                     HttpReply& reply);

// Sends all of `bytes` on `fd`; false when the connection fails first.
bool SendAll(int fd, const std::string& bytes);

// True when the server closes `fd` within `limit`, reading and dropping
// whatever it sends first.
bool ClosedWithin(int fd, std::chrono::milliseconds limit);
