#include "server/http/connection.h"

#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace {

constexpr size_t PIECE_BYTES = 64 << 10;
constexpr const char* REPLY_CONTENT_TYPE = "text/plain; charset=Shift_JIS";

std::string StatusLine(int status) {
  switch (status) {
    case 200: return "HTTP/1.1 200 OK";
    case 400: return "HTTP/1.1 400 Bad Request";
    case 404: return "HTTP/1.1 404 Not Found";
    case 405: return "HTTP/1.1 405 Method Not Allowed";
    case 411: return "HTTP/1.1 411 Length Required";
    case 431: return "HTTP/1.1 431 Request Header Fields Too Large";
    case 503: return "HTTP/1.1 503 Service Unavailable";
  }
  return "HTTP/1.1 500 Internal Server Error";
}

// Reads up to `most` bytes in pieces, handing each to `take`.
template <typename Take>
ReadResult ReadPieces(int fd, size_t most, Take take) {
  ReadResult result;
  char piece[PIECE_BYTES];
  while (result.bytes < most) {
    ssize_t n = recv(fd, piece, std::min(sizeof piece, most - result.bytes), 0);
    if (n > 0) {
      take(piece, static_cast<size_t>(n));
      result.bytes += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    result.ended = n == 0 || errno != EAGAIN;
    break;
  }
  return result;
}

}  // namespace

ReadResult ReadSome(int fd, std::string& buffer, size_t most) {
  return ReadPieces(fd, most, [&](const char* piece, size_t n) { buffer.append(piece, n); });
}

ReadResult DropSome(int fd, size_t most) {
  return ReadPieces(fd, most, [](const char*, size_t) {});
}

WriteEnd WriteSome(int fd, const std::string& out, size_t& sent) {
  while (sent < out.size()) {
    ssize_t n = send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return WriteEnd::Blocked;
    if (n <= 0) return WriteEnd::Failed;
    sent += static_cast<size_t>(n);
  }
  return WriteEnd::Done;
}

bool ReplyDelivered(int fd) {
  int unacknowledged = 0, unread = 0;
  if (ioctl(fd, SIOCOUTQ, &unacknowledged) == 0 && unacknowledged == 0) return true;
  return ioctl(fd, FIONREAD, &unread) == 0 && unread == 0;
}

std::string FormatReply(int status, const std::string& body, bool keepAlive, bool http11) {
  const char* connection = !keepAlive ? "close" : http11 ? nullptr : "keep-alive";
  std::string reply = StatusLine(status) + "\r\nContent-Type: " + REPLY_CONTENT_TYPE +
                      "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
  if (connection != nullptr) reply += std::string("Connection: ") + connection + "\r\n";
  return reply + "\r\n" + body;
}
