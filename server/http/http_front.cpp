#include "server/http/http_front.h"

#include <arpa/inet.h>
#include <linux/filter.h>
#include <malloc.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <list>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "server/http/access_log.h"
#include "server/http/request_head.h"
#include "server/http/work_queue.h"
#include "server/protocol/db_commit.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t MAX_HEAD_BYTES = 8 << 10;
constexpr size_t READ_PIECE_BYTES = 64 << 10;
constexpr int MAX_EVENTS = 64;
constexpr int LISTEN_BACKLOG = 1024;
// A reply must be taken by the client within this time.
constexpr auto SEND_TIME = std::chrono::seconds(10);
// After an early refusal the client's remaining bytes are read and dropped
// for this long, so that closing does not reset the connection before the
// client has read the refusal.
constexpr auto DRAIN_TIME = std::chrono::seconds(2);
// On stop, requests under way get this long to be answered.
constexpr auto STOP_TIME = std::chrono::seconds(10);
// On stop, how long TCP handshakes already under way get to complete: a
// round trip on the local network, with room to spare.
constexpr auto HANDSHAKE_TIME = std::chrono::milliseconds(10);
// Where a socket filter of a TCP socket finds the segment's flags.
constexpr uint32_t TCP_FLAGS_OFFSET = 13;
constexpr uint32_t KEEP_WHOLE_SEGMENT = 0xFFFFFFFF;
// Once this many request bytes came in, memory is given back to the system
// the next time no request bytes are held.
constexpr size_t TRIM_THRESHOLD_BYTES = 8 << 20;
constexpr const char* REPLY_CONTENT_TYPE = "text/plain; charset=Shift_JIS";
constexpr const char* NO_KIND = "-";

enum class Phase {
  Receiving,  // head and body arriving, within the request time
  Waiting,    // queued or running on a worker
  Sending,    // the reply going out
  Draining    // after an early refusal: reading and dropping what the client still sends
};

struct ClientConnection {
  uint64_t id = 0;
  int fd = -1;
  std::string peer;    // the socket's peer address
  std::string client;  // the client's address (the peer, or what a trusted proxy names)
  bool clientCounted = false;
  Phase phase = Phase::Receiving;
  Clock::time_point started;
  Clock::time_point deadline;
  bool timed = false;                   // on a timer list; then
  std::list<uint64_t>::iterator timer;  // its place there
  bool watched = true;                  // registered with epoll
  std::string received;
  size_t searched = 0;  // bytes of `received` searched for the end of the head
  size_t headEnd = 0;   // offset of the body once the head is complete
  size_t bodyLength = 0;
  std::string out;
  size_t sent = 0;
};

struct Completion {
  uint64_t id;
  ServiceReply reply;
  size_t bodyBytes;  // of the request, held until now
};

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

std::string Response(int status, const std::string& body) {
  return StatusLine(status) + "\r\nContent-Type: " + REPLY_CONTENT_TYPE +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

bool IsScriptPath(const std::string& target) { return target == SCRIPT_PATH || target == SCRIPT_PATH + 1; }

bool IsAddress(const std::string& text) {
  unsigned char bytes[sizeof(in6_addr)];
  return inet_pton(AF_INET, text.c_str(), bytes) == 1 || inet_pton(AF_INET6, text.c_str(), bytes) == 1;
}

// Makes the listening socket drop connection requests (segments with SYN
// and without ACK) and pass everything else, so handshakes under way still
// complete. A client whose request was dropped sends it again a second
// later and then finds the port closed.
void IgnoreConnectionRequests(int listening) {
  sock_filter code[] = {
      BPF_STMT(BPF_LD | BPF_B | BPF_ABS, TCP_FLAGS_OFFSET),
      BPF_STMT(BPF_ALU | BPF_AND | BPF_K, TH_SYN | TH_ACK),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, TH_SYN, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, 0),
      BPF_STMT(BPF_RET | BPF_K, KEEP_WHOLE_SEGMENT),
  };
  sock_fprog program{sizeof code / sizeof code[0], code};
  setsockopt(listening, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program);
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

class HttpFront::Loop {
 public:
  Loop(DbCommitService& service, AccessLog& log, HttpLimits limits)
      : service_(service), log_(log), limits_(std::move(limits)) {}
  ~Loop() { Stop(); }

  bool Start(const std::string& address, int port, unsigned workers, std::string& error);
  void Stop();

 private:
  void Run();
  void CloseListener();
  Clock::time_point NextDeadline() const;
  void Accept();
  void Admit(int fd, const std::string& peer);
  void OnReadable(ClientConnection& connection);
  void Receive(ClientConnection& connection);
  bool OnHeadComplete(ClientConnection& connection);
  void Dispatch(ClientConnection& connection);
  void TakeCompletions();
  void OnWritable(ClientConnection& connection);
  void Reply(ClientConnection& connection, int status, const std::string& body, const std::string& outcome,
             bool drain);
  void Enter(ClientConnection& connection, Phase phase);
  void ExpireDeadlines();
  void Close(uint64_t id);
  void Watch(ClientConnection& connection, uint32_t events);
  bool CountClient(ClientConnection& connection);
  std::list<uint64_t>* TimerList(Phase phase);
  void Hold(size_t bytes);
  void Release(size_t bytes);

  DbCommitService& service_;
  AccessLog& log_;
  HttpLimits limits_;
  std::unique_ptr<WorkQueue> queue_;
  int listener_ = -1;
  int epoll_ = -1;
  int wake_ = -1;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  bool listening_ = true;
  bool closing_ = false;        // connection requests dropped, the port about to close
  Clock::time_point closeAt_;
  Clock::time_point stopBy_;

  uint64_t nextId_ = 1;
  std::unordered_map<uint64_t, std::unique_ptr<ClientConnection>> connections_;
  std::map<std::string, size_t> perPeer_;    // open connections per socket peer
  std::map<std::string, size_t> perClient_;  // requests per client named by a trusted proxy
  std::list<uint64_t> receiving_, sending_, draining_;
  size_t held_ = 0;            // request bytes held: received, queued or being answered
  size_t takenSinceTrim_ = 0;  // request bytes taken since memory was last given back

  std::mutex completionsMutex_;
  std::vector<Completion> completions_;
};

bool HttpFront::Loop::Start(const std::string& address, int port, unsigned workers, std::string& error) {
  sockaddr_in socketAddress{};
  socketAddress.sin_family = AF_INET;
  socketAddress.sin_port = htons(static_cast<uint16_t>(port));
  if (port <= 0 || port > 65535 || inet_pton(AF_INET, address.c_str(), &socketAddress.sin_addr) != 1) {
    error = "not an IPv4 address and port: " + address + ":" + std::to_string(port);
    return false;
  }
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&socketAddress), sizeof socketAddress) != 0 ||
      listen(listener_, LISTEN_BACKLOG) != 0) {
    error = "cannot listen on " + address + ":" + std::to_string(port);
    return false;
  }
  epoll_ = epoll_create1(EPOLL_CLOEXEC);
  wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  epoll_event listen{EPOLLIN, {.u64 = 0}};
  epoll_event wake{EPOLLIN, {.u64 = UINT64_MAX}};
  if (epoll_ < 0 || wake_ < 0 || epoll_ctl(epoll_, EPOLL_CTL_ADD, listener_, &listen) != 0 ||
      epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &wake) != 0) {
    error = "cannot watch the listening socket";
    return false;
  }
  queue_ = std::make_unique<WorkQueue>(workers);
  thread_ = std::thread([this] { Run(); });
  return true;
}

void HttpFront::Loop::Stop() {
  if (thread_.joinable()) {
    stopping_ = true;
    uint64_t one = 1;
    (void)!write(wake_, &one, sizeof one);
    thread_.join();
  }
  // Requests still queued run; their replies have no connection to go to.
  if (queue_) queue_->Stop();
  for (int fd : {listener_, epoll_, wake_}) {
    if (fd >= 0) close(fd);
  }
  listener_ = epoll_ = wake_ = -1;
}

void HttpFront::Loop::Run() {
  epoll_event events[MAX_EVENTS];
  for (;;) {
    if (stopping_ && !closing_) {
      IgnoreConnectionRequests(listener_);
      closing_ = true;
      closeAt_ = Clock::now() + HANDSHAKE_TIME;
    }
    if (listening_ && closing_ && Clock::now() >= closeAt_) CloseListener();
    if (!listening_ && (connections_.empty() || Clock::now() >= stopBy_)) return;
    Clock::time_point next = NextDeadline();
    int timeoutMs = -1;
    if (next != Clock::time_point::max()) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count() + 1;
      timeoutMs = left > 0 ? static_cast<int>(left) : 0;
    }
    int count = epoll_wait(epoll_, events, MAX_EVENTS, timeoutMs);
    for (int i = 0; i < count; ++i) {
      uint64_t id = events[i].data.u64;
      if (id == 0) {
        Accept();
      } else if (id == UINT64_MAX) {
        uint64_t ignored;
        (void)!read(wake_, &ignored, sizeof ignored);
        TakeCompletions();
      } else {
        auto found = connections_.find(id);
        if (found == connections_.end()) continue;
        ClientConnection& connection = *found->second;
        if ((events[i].events & EPOLLOUT) && connection.phase != Phase::Waiting) {
          OnWritable(connection);
        } else {
          OnReadable(connection);
        }
      }
    }
    ExpireDeadlines();
  }
}

// Closes the port without resetting a connection a client has already
// made, and may have sent its request on: a balancer in front passes a
// refused connection to another server, but never a request it has sent.
// New connection requests are dropped first (Run), handshakes under way
// complete, every connection the system accepted is taken over, and only
// then is the port closed; the requests under way are answered last.
void HttpFront::Loop::CloseListener() {
  Accept();
  epoll_ctl(epoll_, EPOLL_CTL_DEL, listener_, nullptr);
  close(listener_);
  listener_ = -1;
  listening_ = false;
  stopBy_ = Clock::now() + STOP_TIME;
}

Clock::time_point HttpFront::Loop::NextDeadline() const {
  Clock::time_point next = !listening_ ? stopBy_ : closing_ ? closeAt_ : Clock::time_point::max();
  for (const std::list<uint64_t>* list : {&receiving_, &sending_, &draining_}) {
    if (!list->empty()) next = std::min(next, connections_.at(list->front())->deadline);
  }
  return next;
}

void HttpFront::Loop::Accept() {
  for (;;) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    int fd = accept4(listener_, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
      inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&address)->sin_addr, text, sizeof text);
    }
    Admit(fd, text);
  }
}

// Takes a new connection unless its address has its share already. When all
// places are taken, the connection that has been receiving longest gives
// its place up: a client that sends its request at once always gets in,
// however many slow ones hold connections.
void HttpFront::Loop::Admit(int fd, const std::string& peer) {
  bool proxy = false;
  for (const std::string& trusted : limits_.trustedProxies) proxy = proxy || trusted == peer;
  if (!proxy && perPeer_[peer] >= limits_.maxConnectionsPerAddress) {
    close(fd);
    return;
  }
  if (connections_.size() >= limits_.maxConnections) {
    if (receiving_.empty()) {
      close(fd);
      return;
    }
    Close(receiving_.front());
  }
  auto connection = std::make_unique<ClientConnection>();
  connection->id = nextId_++;
  connection->fd = fd;
  connection->peer = peer;
  connection->client = peer;
  connection->started = Clock::now();
  ++perPeer_[peer];
  ClientConnection& admitted = *connection;
  connections_.emplace(admitted.id, std::move(connection));
  epoll_event event{EPOLLIN | EPOLLRDHUP, {.u64 = admitted.id}};
  epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
  Enter(admitted, Phase::Receiving);
}

void HttpFront::Loop::OnReadable(ClientConnection& connection) {
  if (connection.phase == Phase::Receiving) {
    Receive(connection);
    return;
  }
  // Draining, or a client that hung up while its request waits or its
  // reply goes out: read and drop what there is.
  char piece[READ_PIECE_BYTES];
  ssize_t n;
  while ((n = recv(connection.fd, piece, sizeof piece, 0)) > 0) {
  }
  bool ended = n == 0 || (errno != EAGAIN && errno != EINTR);
  if (!ended) return;
  if (connection.phase == Phase::Draining) {
    Close(connection.id);
  } else if (connection.phase == Phase::Sending) {
    // A client may stop sending and still read: go on writing.
    Watch(connection, EPOLLOUT);
  } else {
    // The request runs anyway (it may record usage); its reply will find
    // the connection gone. Until then the connection is not watched.
    epoll_ctl(epoll_, EPOLL_CTL_DEL, connection.fd, nullptr);
    connection.watched = false;
  }
}

void HttpFront::Loop::Receive(ClientConnection& connection) {
  char piece[READ_PIECE_BYTES];
  for (;;) {
    size_t limit = connection.headEnd == 0 ? MAX_HEAD_BYTES + 4 - connection.received.size()
                                           : connection.headEnd + connection.bodyLength - connection.received.size();
    ssize_t n = recv(connection.fd, piece, std::min(limit, sizeof piece), 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
      Close(connection.id);
      return;
    }
    if (n < 0) return;
    if (held_ + static_cast<size_t>(n) > limits_.maxBufferedBytes) {
      Reply(connection, 503, ErrorReply("the server is busy"), "refused: server busy", true);
      return;
    }
    connection.received.append(piece, static_cast<size_t>(n));
    Hold(static_cast<size_t>(n));
    if (connection.headEnd == 0) {
      connection.headEnd = FindHeadEnd(connection.received, connection.searched);
      connection.searched = connection.received.size();
      if (connection.headEnd == 0) {
        if (connection.received.size() > MAX_HEAD_BYTES) {
          Reply(connection, 431, ErrorReply("request head too large"), "refused: head too large", true);
          return;
        }
        continue;
      }
      if (!OnHeadComplete(connection)) return;
    }
    if (connection.received.size() >= connection.headEnd + connection.bodyLength) {
      Dispatch(connection);
      return;
    }
  }
}

// Checks the head; false when the request was answered already.
bool HttpFront::Loop::OnHeadComplete(ClientConnection& connection) {
  RequestHead head;
  HeadProblem problem =
      ParseRequestHead(std::string_view(connection.received).substr(0, connection.headEnd), head);
  if (problem == HeadProblem::Malformed || problem == HeadProblem::AmbiguousLength) {
    Reply(connection, 400, ErrorReply("malformed request"), "refused: malformed head", true);
    return false;
  }
  if (problem == HeadProblem::LengthRequired) {
    Reply(connection, 411, ErrorReply("the body needs a Content-Length"), "refused: no length", true);
    return false;
  }
  for (const std::string& trusted : limits_.trustedProxies) {
    if (trusted != connection.peer) continue;
    const std::string& named = !head.realIp.empty() ? head.realIp : head.forwardedFor;
    if (IsAddress(named)) connection.client = named;
  }
  if (!CountClient(connection)) {
    Reply(connection, 503, ErrorReply("too many connections"), "refused: connections of this address", true);
    return false;
  }
  if (!IsScriptPath(head.target)) {
    Reply(connection, 404, "not found\n", "refused: not found", true);
    return false;
  }
  if (head.method != "POST") {
    Reply(connection, 405, ErrorReply("only POST is served"), "refused: not POST", true);
    return false;
  }
  if (head.contentLength > MAX_REQUEST_BYTES) {
    Reply(connection, 200, ErrorReply("request body too large"), "refused: body too large", true);
    return false;
  }
  connection.bodyLength = head.contentLength;
  if (head.expectsContinue) {
    static const char CONTINUE[] = "HTTP/1.1 100 Continue\r\n\r\n";
    send(connection.fd, CONTINUE, sizeof CONTINUE - 1, MSG_NOSIGNAL);
  }
  return true;
}

// Counts a request of a client that a trusted proxy names against that
// client's share; false when the share is taken.
bool HttpFront::Loop::CountClient(ClientConnection& connection) {
  if (connection.client == connection.peer) return true;
  if (perClient_[connection.client] >= limits_.maxConnectionsPerAddress) return false;
  ++perClient_[connection.client];
  connection.clientCounted = true;
  return true;
}

// The body stays counted among the bytes held until its reply is back: a
// queue of complete requests is bounded like the ones still arriving, and
// memory is given back only once the workers have let go of their copies.
void HttpFront::Loop::Dispatch(ClientConnection& connection) {
  Enter(connection, Phase::Waiting);
  Watch(connection, EPOLLRDHUP);
  std::string body = connection.received.substr(connection.headEnd, connection.bodyLength);
  Release(connection.received.size() - body.size());
  std::string().swap(connection.received);
  uint64_t id = connection.id;
  std::string client = connection.client;
  queue_->Submit(client, [this, id, client, body = std::move(body)]() mutable {
    Completion completion{id, service_.Run(body, client), body.size()};
    std::string().swap(body);
    {
      std::lock_guard<std::mutex> lock(completionsMutex_);
      completions_.push_back(std::move(completion));
    }
    uint64_t one = 1;
    (void)!write(wake_, &one, sizeof one);
  });
}

void HttpFront::Loop::TakeCompletions() {
  std::vector<Completion> done;
  {
    std::lock_guard<std::mutex> lock(completionsMutex_);
    done.swap(completions_);
  }
  for (Completion& completion : done) {
    Release(completion.bodyBytes);
    auto found = connections_.find(completion.id);
    if (found == connections_.end()) continue;
    ClientConnection& connection = *found->second;
    log_.Write(connection.client, completion.reply.kind, completion.reply.outcome,
               MillisecondsSince(connection.started));
    connection.out = Response(200, completion.reply.body);
    Enter(connection, Phase::Sending);
    Watch(connection, EPOLLOUT);
    OnWritable(connection);
  }
}

void HttpFront::Loop::OnWritable(ClientConnection& connection) {
  while (connection.sent < connection.out.size()) {
    ssize_t n = send(connection.fd, connection.out.data() + connection.sent, connection.out.size() - connection.sent,
                     MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
      Close(connection.id);
      return;
    }
    connection.sent += static_cast<size_t>(n);
  }
  if (connection.phase == Phase::Draining) {
    shutdown(connection.fd, SHUT_WR);
    Watch(connection, EPOLLIN | EPOLLRDHUP);
    return;
  }
  Close(connection.id);
}

// Answers without running anything. With `drain` the rest of what the
// client sends is read and dropped for a while before the connection closes.
void HttpFront::Loop::Reply(ClientConnection& connection, int status, const std::string& body, const std::string& outcome,
                            bool drain) {
  log_.Write(connection.client, NO_KIND, outcome, MillisecondsSince(connection.started));
  Release(connection.received.size());
  std::string().swap(connection.received);
  connection.out = Response(status, body);
  Enter(connection, drain ? Phase::Draining : Phase::Sending);
  Watch(connection, EPOLLOUT);
  OnWritable(connection);
}

std::list<uint64_t>* HttpFront::Loop::TimerList(Phase phase) {
  switch (phase) {
    case Phase::Receiving: return &receiving_;
    case Phase::Sending: return &sending_;
    case Phase::Draining: return &draining_;
    case Phase::Waiting: return nullptr;
  }
  return nullptr;
}

// Moves the connection to `phase` and to the end of that phase's timer
// list: every phase has one time limit, so each list stays in deadline order.
void HttpFront::Loop::Enter(ClientConnection& connection, Phase phase) {
  if (connection.timed) TimerList(connection.phase)->erase(connection.timer);
  connection.phase = phase;
  std::list<uint64_t>* to = TimerList(phase);
  connection.timed = to != nullptr;
  if (to == nullptr) return;
  Clock::time_point now = Clock::now();
  connection.deadline = phase == Phase::Receiving ? connection.started + limits_.requestTime
                        : phase == Phase::Sending ? now + SEND_TIME
                                                  : now + DRAIN_TIME;
  connection.timer = to->insert(to->end(), connection.id);
}

void HttpFront::Loop::ExpireDeadlines() {
  Clock::time_point now = Clock::now();
  for (std::list<uint64_t>* list : {&receiving_, &sending_, &draining_}) {
    while (!list->empty() && connections_.at(list->front())->deadline <= now) {
      ClientConnection& late = *connections_.at(list->front());
      if (late.phase == Phase::Receiving) {
        log_.Write(late.client, NO_KIND, "refused: request too slow", MillisecondsSince(late.started));
      }
      Close(late.id);
    }
  }
}

void HttpFront::Loop::Close(uint64_t id) {
  auto found = connections_.find(id);
  if (found == connections_.end()) return;
  ClientConnection& connection = *found->second;
  if (connection.timed) TimerList(connection.phase)->erase(connection.timer);
  if (connection.watched) epoll_ctl(epoll_, EPOLL_CTL_DEL, connection.fd, nullptr);
  close(connection.fd);
  if (--perPeer_[connection.peer] == 0) perPeer_.erase(connection.peer);
  if (connection.clientCounted && --perClient_[connection.client] == 0) perClient_.erase(connection.client);
  Release(connection.received.size());
  connections_.erase(found);
}

void HttpFront::Loop::Watch(ClientConnection& connection, uint32_t events) {
  epoll_event event{events, {.u64 = connection.id}};
  epoll_ctl(epoll_, connection.watched ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, connection.fd, &event);
  connection.watched = true;
}

void HttpFront::Loop::Hold(size_t bytes) {
  held_ += bytes;
  takenSinceTrim_ += bytes;
}

// Hands memory back to the system once a burst of large or slow requests is
// over, so what attackers made the server hold does not stay with it.
void HttpFront::Loop::Release(size_t bytes) {
  held_ -= bytes;
  if (held_ == 0 && takenSinceTrim_ > TRIM_THRESHOLD_BYTES) {
    malloc_trim(0);
    takenSinceTrim_ = 0;
  }
}

HttpFront::HttpFront(DbCommitService& service, AccessLog& log, HttpLimits limits)
    : loop_(std::make_unique<Loop>(service, log, std::move(limits))) {}

HttpFront::~HttpFront() { Stop(); }

bool HttpFront::Start(const std::string& address, int port, unsigned workers, std::string& error) {
  return loop_->Start(address, port, workers, error);
}

void HttpFront::Stop() { loop_->Stop(); }
