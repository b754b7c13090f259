#include "server/http/listener.h"

#include <arpa/inet.h>
#include <linux/filter.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>

#include "server/http/client_address.h"

namespace {

constexpr int LISTEN_BACKLOG = 1024;
// Where a socket filter of a TCP socket finds the segment's flags.
constexpr uint32_t TCP_FLAGS_OFFSET = 13;
constexpr uint32_t KEEP_WHOLE_SEGMENT = 0xFFFFFFFF;

// A reply is written whole in one go, so there are no small writes to
// gather. Left on, the gathering holds a reply's last partial segment until
// the client acknowledges the one before, which a client that delays its
// acknowledgements (every one on a kept connection) does only after tens of
// milliseconds: a stall on each reply.
void DisableSendDelay(int fd) {
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

bool Listener::Open(const std::string& address, int port, std::string& error) {
  sockaddr_in socketAddress{};
  socketAddress.sin_family = AF_INET;
  socketAddress.sin_port = htons(static_cast<uint16_t>(port));
  if (port <= 0 || port > 65535 || inet_pton(AF_INET, address.c_str(), &socketAddress.sin_addr) != 1) {
    error = "not an IPv4 address and port: " + address + ":" + std::to_string(port);
    return false;
  }
  fd_ = ScopedFd(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd_.Valid()) {
    error = "cannot make a socket";
    return false;
  }
  int on = 1;
  if (setsockopt(fd_.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      bind(fd_.Get(), reinterpret_cast<sockaddr*>(&socketAddress), sizeof socketAddress) != 0 ||
      listen(fd_.Get(), LISTEN_BACKLOG) != 0) {
    fd_.Reset();
    error = "cannot listen on " + address + ":" + std::to_string(port);
    return false;
  }
  return true;
}

Listener::AcceptEnd Listener::AcceptSome(size_t most,
                                         const std::function<void(ScopedFd, const std::string&)>& take) {
  for (size_t taken = 0; taken < most;) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    ScopedFd fd(accept4(fd_.Get(), reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd.Valid()) {
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        return AcceptEnd::OutOfDescriptors;
      }
      // A connection reset before it was taken is gone; go on with the next.
      if (errno == ECONNABORTED || errno == EINTR || errno == EPROTO) continue;
      return AcceptEnd::Drained;
    }
    ++taken;
    DisableSendDelay(fd.Get());
    take(std::move(fd), SocketAddressText(address));
  }
  return AcceptEnd::SliceUsed;
}

void Listener::IgnoreConnectionRequests() {
  sock_filter code[] = {
      BPF_STMT(BPF_LD | BPF_B | BPF_ABS, TCP_FLAGS_OFFSET),
      BPF_STMT(BPF_ALU | BPF_AND | BPF_K, TH_SYN | TH_ACK),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, TH_SYN, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, 0),
      BPF_STMT(BPF_RET | BPF_K, KEEP_WHOLE_SEGMENT),
  };
  sock_fprog program{sizeof code / sizeof code[0], code};
  setsockopt(fd_.Get(), SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program);
}
