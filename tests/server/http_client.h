// A minimal HTTP/1.1 client for the server tests and the benchmark: posts a
// body byte for byte, as the programs do, and reads the whole reply.
#pragma once

#include <string>

struct HttpReply {
  int status = 0;
  std::string body;
};

// Posts `body` unchanged to http://address:port/path with the form content
// type and "Connection: close". Returns false when the exchange fails at the
// socket level or the reply has no status line.
bool PostRaw(const std::string& address, int port, const std::string& path, const std::string& body,
             HttpReply& reply);

// Sends a request with any method and no body.
bool SendWithoutBody(const std::string& address, int port, const std::string& method, const std::string& path,
                     HttpReply& reply);
