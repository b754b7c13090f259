#include "server/http/http_front.h"

#include <malloc.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "server/http/access_log.h"
#include "server/http/admission.h"
#include "server/http/client_address.h"
#include "server/http/connection.h"
#include "server/http/deadlines.h"
#include "server/http/listener.h"
#include "server/http/request_head.h"
#include "server/http/work_queue.h"
#include "server/metrics/server_metrics.h"
#include "server/protocol/db_commit.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t MAX_HEAD_BYTES = 8 << 10;
// What one connection may have read, dropped or accepted in one turn of the
// loop: enough for a whole request of the programs, little enough that no
// client keeps the loop from the others.
constexpr size_t READ_SLICE_BYTES = 256 << 10;
constexpr size_t ACCEPT_SLICE = 64;
constexpr int MAX_EVENTS = 64;
// A reply must be taken by the client within this time.
constexpr auto SEND_TIME = std::chrono::seconds(10);
// After a reply the client's remaining bytes are read and dropped for at
// most this long and this many bytes before the connection closes, so a
// client that sent more than the request (a CR LF after the body, the rest
// of a refused upload) still reads the whole reply.
constexpr auto DRAIN_TIME = std::chrono::seconds(2);
constexpr size_t MAX_DRAIN_BYTES = 32 << 20;
// When no descriptor is left, the listener rests this long.
constexpr auto ACCEPT_PAUSE = std::chrono::milliseconds(100);
// On stop, requests under way get this long to be answered.
constexpr auto STOP_TIME = std::chrono::seconds(10);
// On stop, how long TCP handshakes already under way get to complete: a
// round trip on the local network, with room to spare.
constexpr auto HANDSHAKE_TIME = std::chrono::milliseconds(10);
// Once this many request bytes came in, memory is given back to the system
// the next time no request bytes are held.
constexpr size_t TRIM_THRESHOLD_BYTES = 8 << 20;
constexpr uint64_t LISTENER_EVENT = 0;
constexpr uint64_t WAKE_EVENT = UINT64_MAX;

// The kinds of time limit, one list each.
enum DeadlineKind : size_t { REQUEST_TIME, SEND_LIMIT, IDLE_LIMIT, DRAIN_LIMIT, DEADLINE_KINDS };

struct Completion {
  uint64_t id;
  ServiceReply reply;
  size_t bodyBytes;  // of the request, held until now
};

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

class HttpFront::Loop {
 public:
  Loop(DbCommitService& service, AccessLog& log, HttpLimits limits, ServerMetrics& metrics)
      : service_(service), log_(log), limits_(std::move(limits)), admission_(limits_), metrics_(metrics) {}
  ~Loop() { Stop(); }

  bool Start(const std::string& address, int port, unsigned workers, std::string& error);
  void Stop();

 private:
  void Run();
  void BeginStop();
  void CloseListener();
  Clock::time_point NextWake() const;
  void OnEvent(uint64_t id, uint32_t events);

  // Connections coming and going.
  void AcceptBatch();
  void Admit(ScopedFd fd, const std::string& peer);
  void GiveWay(uint64_t id);
  bool CloseIdleOf(const std::string& peer);
  void Close(uint64_t id);
  void PauseListener();
  void ResumeListener();

  // A request arriving.
  void Receive(ClientConnection& connection);
  void TakeReceived(ClientConnection& connection);
  bool OnHeadComplete(ClientConnection& connection);
  bool NameClient(ClientConnection& connection, const RequestHead& head);
  void Dispatch(ClientConnection& connection);

  // The reply going out.
  void TakeCompletions();
  void StartReply(ClientConnection& connection, int status, const std::string& body);
  void Refuse(ClientConnection& connection, int status, const std::string& body, const std::string& outcome);
  void Write(ClientConnection& connection);
  void Drain(ClientConnection& connection);
  void Finish(ClientConnection& connection);

  // Phases, timers and memory.
  void EnterIdle(ClientConnection& connection);
  void EnterReceiving(ClientConnection& connection);
  void EnterWaiting(ClientConnection& connection);
  void EnterSending(ClientConnection& connection);
  void EnterDraining(ClientConnection& connection);
  void ExpireDeadlines();
  void Watch(ClientConnection& connection, uint32_t events);
  void Unwatch(ClientConnection& connection);
  bool Hold(ClientConnection& connection, size_t bytes);
  void Release(ClientConnection& connection, size_t bytes);
  void TrimWhenIdle();

  DbCommitService& service_;
  AccessLog& log_;
  HttpLimits limits_;
  Admission admission_;
  ServerMetrics& metrics_;
  Deadlines deadlines_{DEADLINE_KINDS};
  Listener listener_;
  std::unique_ptr<WorkQueue> queue_;
  ScopedFd epoll_;
  ScopedFd wake_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  bool closing_ = false;  // connection requests dropped, the port about to close
  Clock::time_point closeAt_;
  Clock::time_point stopBy_ = Clock::time_point::max();
  bool paused_ = false;  // the listener rests: no descriptor was left
  Clock::time_point resumeAt_;

  uint64_t nextId_ = 1;
  std::unordered_map<uint64_t, std::unique_ptr<ClientConnection>> connections_;
  size_t inFlight_ = 0;        // requests queued or running
  size_t takenSinceTrim_ = 0;  // request bytes taken since memory was last given back

  std::mutex completionsMutex_;
  std::vector<Completion> completions_;
};

bool HttpFront::Loop::Start(const std::string& address, int port, unsigned workers, std::string& error) {
  if (!listener_.Open(address, port, error)) return false;
  epoll_ = ScopedFd(epoll_create1(EPOLL_CLOEXEC));
  wake_ = ScopedFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
  epoll_event listen{EPOLLIN, {.u64 = LISTENER_EVENT}};
  epoll_event wake{EPOLLIN, {.u64 = WAKE_EVENT}};
  if (!epoll_.Valid() || !wake_.Valid() || epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, listener_.Fd(), &listen) != 0 ||
      epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, wake_.Get(), &wake) != 0) {
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
    (void)!write(wake_.Get(), &one, sizeof one);
    thread_.join();
  }
  // Requests still queued run; their replies have no connection to go to.
  if (queue_) queue_->Stop();
  connections_.clear();
  listener_.Close();
}

void HttpFront::Loop::Run() {
  epoll_event events[MAX_EVENTS];
  for (;;) {
    metrics_.LoopHeartbeat();
    if (stopping_ && !closing_) BeginStop();
    Clock::time_point now = Clock::now();
    if (closing_ && listener_.Fd() >= 0 && now >= closeAt_) CloseListener();
    if (closing_ && listener_.Fd() < 0 && (connections_.empty() || now >= stopBy_)) return;
    if (paused_ && now >= resumeAt_) ResumeListener();
    Clock::time_point next = std::min(NextWake(), Clock::now() + LOOP_HEARTBEAT_TIME);
    int timeoutMs = -1;
    if (next != Clock::time_point::max()) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count() + 1;
      timeoutMs = left > 0 ? static_cast<int>(left) : 0;
    }
    int count = epoll_wait(epoll_.Get(), events, MAX_EVENTS, timeoutMs);
    for (int i = 0; i < count; ++i) OnEvent(events[i].data.u64, events[i].events);
    ExpireDeadlines();
  }
}

// Drops new connection requests, closes the connections that wait for a
// next request, and lets every request under way be the last of its
// connection.
void HttpFront::Loop::BeginStop() {
  listener_.IgnoreConnectionRequests();
  closing_ = true;
  closeAt_ = Clock::now() + HANDSHAKE_TIME;
  std::vector<uint64_t> idle;
  for (auto& [id, connection] : connections_) {
    connection->keepAlive = false;
    if (connection->phase == Phase::Idle) idle.push_back(id);
  }
  for (uint64_t id : idle) Close(id);
}

// Closes the port without resetting a connection a client has already
// made, and may have sent its request on: a balancer in front passes a
// refused connection to another server, but never a request it has sent.
// Every connection the system accepted is taken over before the port
// closes; the requests under way are answered last.
void HttpFront::Loop::CloseListener() {
  if (paused_) ResumeListener();
  while (listener_.AcceptSome(ACCEPT_SLICE, [this](ScopedFd fd, const std::string& peer) {
    Admit(std::move(fd), peer);
  }) == Listener::AcceptEnd::SliceUsed) {
  }
  epoll_ctl(epoll_.Get(), EPOLL_CTL_DEL, listener_.Fd(), nullptr);
  listener_.Close();
  stopBy_ = Clock::now() + STOP_TIME;
}

Clock::time_point HttpFront::Loop::NextWake() const {
  Clock::time_point next = deadlines_.Next();
  if (closing_) next = std::min(next, listener_.Fd() >= 0 ? closeAt_ : stopBy_);
  if (paused_) next = std::min(next, resumeAt_);
  return next;
}

void HttpFront::Loop::OnEvent(uint64_t id, uint32_t events) {
  if (id == LISTENER_EVENT) {
    AcceptBatch();
    return;
  }
  if (id == WAKE_EVENT) {
    uint64_t ignored;
    (void)!read(wake_.Get(), &ignored, sizeof ignored);
    TakeCompletions();
    return;
  }
  auto found = connections_.find(id);
  if (found == connections_.end()) return;
  ClientConnection& connection = *found->second;
  switch (connection.phase) {
    case Phase::Idle:
    case Phase::Receiving: Receive(connection); break;
    case Phase::Waiting:
      // The client hung up while its request runs: the request runs anyway
      // (it may record usage), and its reply is still offered.
      connection.peerClosed = true;
      connection.keepAlive = false;
      Unwatch(connection);
      break;
    case Phase::Sending: Write(connection); break;
    case Phase::Draining: Drain(connection); break;
  }
  (void)events;
}

// Out of descriptors, the connection receiving longest gives way and
// accepting goes on, so the connections waiting in the backlog are each
// read once (a client that sent its request is then past receiving); with
// nobody to give way the listener rests a moment instead of being polled
// in vain.
void HttpFront::Loop::AcceptBatch() {
  auto admit = [this](ScopedFd fd, const std::string& peer) { Admit(std::move(fd), peer); };
  for (size_t tries = 0; tries < ACCEPT_SLICE; ++tries) {
    if (listener_.AcceptSome(ACCEPT_SLICE, admit) != Listener::AcceptEnd::OutOfDescriptors) return;
    auto longest = admission_.LongestReceiving();
    if (!longest) break;
    GiveWay(*longest);
  }
  PauseListener();
}

// Takes a new connection unless its address has its share already. When all
// places are taken, the connection that has been receiving longest gives
// its place up. The newcomer is read at once, so a client that sent its
// request with its connection is past receiving before anyone can make it
// give way.
void HttpFront::Loop::Admit(ScopedFd fd, const std::string& peer) {
  if (peer.empty()) return metrics_.ConnectionRefused();
  if (!admission_.MayOpen(peer) && !(CloseIdleOf(peer) && admission_.MayOpen(peer))) {
    return metrics_.ConnectionRefused();
  }
  if (admission_.Full()) {
    auto longest = admission_.LongestReceiving();
    if (!longest) return metrics_.ConnectionRefused();
    GiveWay(*longest);
  }
  auto connection = std::make_unique<ClientConnection>();
  connection->id = nextId_++;
  connection->fd = std::move(fd);
  connection->peer = peer;
  connection->client = peer;
  connection->started = Clock::now();
  ClientConnection& admitted = *connection;
  connections_.emplace(admitted.id, std::move(connection));
  admission_.Opened(admitted.id, peer, admitted.started);
  metrics_.ConnectionOpened();
  EnterReceiving(admitted);
  Receive(admitted);
}

// A client at its cap of connections makes room for a new one by closing
// one of its own that waits idle for a next request. False when it has none.
bool HttpFront::Loop::CloseIdleOf(const std::string& peer) {
  for (auto& [id, connection] : connections_) {
    if (connection->phase == Phase::Idle && connection->peer == peer) {
      Close(id);
      return true;
    }
  }
  return false;
}

// Makes a receiving (or idle) connection give its place or its memory up.
void HttpFront::Loop::GiveWay(uint64_t id) {
  auto found = connections_.find(id);
  if (found == connections_.end()) return;
  ClientConnection& connection = *found->second;
  metrics_.ConnectionEvicted();
  if (connection.phase == Phase::Receiving) {
    log_.Write(connection.client, "-", "refused: gave way to other clients", MillisecondsSince(connection.started),
               ReplyFate::NoReply);
  }
  Close(id);
}

void HttpFront::Loop::Close(uint64_t id) {
  auto found = connections_.find(id);
  if (found == connections_.end()) return;
  ClientConnection& connection = *found->second;
  deadlines_.Clear(id);
  Unwatch(connection);
  admission_.Closed(id);
  connections_.erase(found);
  metrics_.ConnectionClosed();
  TrimWhenIdle();
}

void HttpFront::Loop::PauseListener() {
  if (paused_ || listener_.Fd() < 0) return;
  epoll_ctl(epoll_.Get(), EPOLL_CTL_DEL, listener_.Fd(), nullptr);
  paused_ = true;
  resumeAt_ = Clock::now() + ACCEPT_PAUSE;
}

void HttpFront::Loop::ResumeListener() {
  paused_ = false;
  epoll_event listen{EPOLLIN, {.u64 = LISTENER_EVENT}};
  if (listener_.Fd() >= 0) epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, listener_.Fd(), &listen);
}

// Reads one slice of what the client sent, then looks at what has come.
void HttpFront::Loop::Receive(ClientConnection& connection) {
  size_t before = connection.received.size();
  size_t most = READ_SLICE_BYTES;
  if (connection.headEnd == 0) {
    most = std::min(most, MAX_HEAD_BYTES + 1 - std::min(before, MAX_HEAD_BYTES + 1));
  } else {
    size_t whole = connection.headEnd + connection.bodyLength;
    most = std::min(most, whole - std::min(before, whole));
  }
  ReadResult read = ReadSome(connection.fd.Get(), connection.received, most);
  metrics_.BytesReceived(read.bytes);
  uint64_t id = connection.id;
  if (read.bytes > 0 && !Hold(connection, read.bytes)) return;
  if (connections_.count(id) == 0) return;
  if (read.ended) {
    connection.peerClosed = true;
    connection.keepAlive = false;
  }
  TakeReceived(connection);
  if (connections_.count(id) == 0) return;
  bool stillReceiving = connection.phase == Phase::Idle || connection.phase == Phase::Receiving;
  if (read.ended && stillReceiving) Close(id);
}

// Looks at the bytes received: the empty lines some clients send after a
// body, the head once it is whole, then the body.
void HttpFront::Loop::TakeReceived(ClientConnection& connection) {
  if (connection.headEnd == 0) {
    size_t empty = LeadingEmptyLineBytes(connection.received);
    if (empty > 0) {
      connection.received.erase(0, empty);
      connection.searched = 0;
      Release(connection, empty);
    }
    if (connection.received.empty()) return;
    if (connection.phase == Phase::Idle) EnterReceiving(connection);
    connection.headEnd = FindHeadEnd(connection.received, connection.searched);
    connection.searched = connection.received.size();
    if (connection.headEnd == 0) {
      if (connection.received.size() > MAX_HEAD_BYTES) {
        Refuse(connection, 431, ErrorReply("request head too large"), "refused: head too large");
      }
      return;
    }
    if (!OnHeadComplete(connection)) return;
  }
  if (connection.received.size() >= connection.headEnd + connection.bodyLength) Dispatch(connection);
}

// Checks the head; false when the request was answered already.
bool HttpFront::Loop::OnHeadComplete(ClientConnection& connection) {
  RequestHead head;
  HeadProblem problem =
      ParseRequestHead(std::string_view(connection.received).substr(0, connection.headEnd), head);
  connection.http11 = head.http11;
  if (problem == HeadProblem::Malformed || problem == HeadProblem::AmbiguousLength) {
    Refuse(connection, 400, ErrorReply("malformed request"), "refused: malformed head");
    return false;
  }
  if (problem == HeadProblem::LengthRequired) {
    Refuse(connection, 411, ErrorReply("the body needs a Content-Length"), "refused: no length");
    return false;
  }
  if (!NameClient(connection, head)) return false;
  if (head.target != SCRIPT_PATH) {
    Refuse(connection, 404, "not found\n", "refused: not found");
    return false;
  }
  if (head.method != "POST") {
    Refuse(connection, 405, ErrorReply("only POST is served"), "refused: not POST");
    return false;
  }
  if (head.contentLength > MAX_REQUEST_BYTES) {
    Refuse(connection, 200, ErrorReply("request body too large"), "refused: body too large");
    return false;
  }
  connection.bodyLength = head.contentLength;
  connection.keepAlive = head.keepAlive && !connection.peerClosed && !stopping_ &&
                         connection.requests + 1 < MAX_REQUESTS_PER_CONNECTION;
  if (head.expectsContinue) {
    static const char CONTINUE[] = "HTTP/1.1 100 Continue\r\n\r\n";
    send(connection.fd.Get(), CONTINUE, sizeof CONTINUE - 1, MSG_NOSIGNAL);
  }
  return true;
}

// The client of the request: the peer, or the address a trusted proxy
// names in canonical form. False when the request was refused: a proxy
// named no address, or the client holds all its connections.
bool HttpFront::Loop::NameClient(ClientConnection& connection, const RequestHead& head) {
  std::string client = connection.peer;
  if (admission_.IsTrustedProxy(connection.peer)) {
    const std::string& named = !head.realIp.empty() ? head.realIp : head.forwardedFor;
    if (!named.empty() && !CanonicalAddress(named, client)) {
      Refuse(connection, 400, ErrorReply("malformed request"), "refused: bad client address");
      return false;
    }
  }
  if (!admission_.NameClient(connection.id, client)) {
    Refuse(connection, 503, ErrorReply("too many connections"), "refused: connections of this address");
    return false;
  }
  connection.client = client;
  return true;
}

// The body stays counted among the bytes held until its reply is back: a
// queue of complete requests is bounded like the ones still arriving, and
// memory is given back only once the workers have let go of their copies.
// Bytes after the body stay for the connection's next request.
void HttpFront::Loop::Dispatch(ClientConnection& connection) {
  EnterWaiting(connection);
  std::string body = connection.received.substr(connection.headEnd, connection.bodyLength);
  connection.received.erase(0, connection.headEnd + connection.bodyLength);
  connection.received.shrink_to_fit();  // a waiting request keeps no room for its body twice
  Release(connection, connection.headEnd);
  connection.headEnd = connection.searched = connection.bodyLength = 0;
  uint64_t id = connection.id;
  std::string client = connection.client;
  ++inFlight_;
  queue_->Submit(client, [this, id, client, body = std::move(body)]() mutable {
    Completion completion{id, service_.Run(body, client), body.size()};
    std::string().swap(body);
    {
      std::lock_guard<std::mutex> lock(completionsMutex_);
      completions_.push_back(std::move(completion));
    }
    uint64_t one = 1;
    (void)!write(wake_.Get(), &one, sizeof one);
  });
}

void HttpFront::Loop::TakeCompletions() {
  std::vector<Completion> done;
  {
    std::lock_guard<std::mutex> lock(completionsMutex_);
    done.swap(completions_);
  }
  for (Completion& completion : done) {
    --inFlight_;
    auto found = connections_.find(completion.id);
    if (found == connections_.end()) {
      TrimWhenIdle();
      continue;
    }
    ClientConnection& connection = *found->second;
    Release(connection, completion.bodyBytes);
    connection.kind = completion.reply.kind;
    connection.outcome = completion.reply.outcome;
    metrics_.RowsServed(completion.reply.rows);
    StartReply(connection, 200, completion.reply.body);
  }
}

void HttpFront::Loop::StartReply(ClientConnection& connection, int status, const std::string& body) {
  connection.out = FormatReply(status, body, connection.keepAlive, connection.http11);
  connection.sent = 0;
  EnterSending(connection);
  Write(connection);
}

// Answers without running anything; the connection closes after the reply.
void HttpFront::Loop::Refuse(ClientConnection& connection, int status, const std::string& body,
                             const std::string& outcome) {
  connection.keepAlive = false;
  connection.kind = "-";
  connection.outcome = outcome;
  Release(connection, connection.received.size());
  std::string().swap(connection.received);
  EnterWaiting(connection);
  StartReply(connection, status, body);
}

void HttpFront::Loop::Write(ClientConnection& connection) {
  size_t before = connection.sent;
  WriteEnd end = WriteSome(connection.fd.Get(), connection.out, connection.sent);
  metrics_.BytesSent(connection.sent - before);
  if (end == WriteEnd::Blocked) return;
  if (end == WriteEnd::Failed) {
    Finish(connection);
    return;
  }
  ++connection.requests;
  std::string().swap(connection.out);
  if (!connection.keepAlive) {
    shutdown(connection.fd.Get(), SHUT_WR);
    EnterDraining(connection);
    Drain(connection);
    return;
  }
  log_.Write(connection.client, connection.kind, connection.outcome, MillisecondsSince(connection.started),
             ReplyFate::Delivered);
  connection.outcome.clear();
  EnterIdle(connection);
  if (!connection.received.empty()) TakeReceived(connection);
}

// Reads and drops what the client still sends, until it closes, the time
// or the byte bound is over.
void HttpFront::Loop::Drain(ClientConnection& connection) {
  ReadResult read = DropSome(connection.fd.Get(), READ_SLICE_BYTES);
  connection.drained += read.bytes;
  if (read.ended || connection.drained > MAX_DRAIN_BYTES) Finish(connection);
}

// Closes the connection, and logs the request's outcome with what became of
// its reply.
void HttpFront::Loop::Finish(ClientConnection& connection) {
  if (!connection.outcome.empty()) {
    bool whole = connection.out.empty() || connection.sent == connection.out.size();
    ReplyFate fate = whole && ReplyDelivered(connection.fd.Get()) ? ReplyFate::Delivered : ReplyFate::NotDelivered;
    log_.Write(connection.client, connection.kind, connection.outcome, MillisecondsSince(connection.started), fate);
  }
  Close(connection.id);
}

void HttpFront::Loop::EnterIdle(ClientConnection& connection) {
  connection.phase = Phase::Idle;
  connection.started = Clock::now();
  deadlines_.Set(connection.id, IDLE_LIMIT, connection.started + IDLE_TIME);
  admission_.SetReceiving(connection.id, true, connection.started);
  Watch(connection, EPOLLIN | EPOLLRDHUP);
}

// A request's time runs from its first byte (or from the connection's
// acceptance); an idle connection keeps its start until a byte comes.
void HttpFront::Loop::EnterReceiving(ClientConnection& connection) {
  if (connection.phase == Phase::Idle) connection.started = Clock::now();
  connection.phase = Phase::Receiving;
  deadlines_.Set(connection.id, REQUEST_TIME, connection.started + limits_.requestTime);
  admission_.SetReceiving(connection.id, true, connection.started);
  Watch(connection, EPOLLIN | EPOLLRDHUP);
}

// Nothing more is read while the request runs: what the client sends after
// it waits in the socket for the connection's next request.
void HttpFront::Loop::EnterWaiting(ClientConnection& connection) {
  connection.phase = Phase::Waiting;
  deadlines_.Clear(connection.id);
  admission_.SetReceiving(connection.id, false, connection.started);
  if (connection.peerClosed) {
    Unwatch(connection);
  } else {
    Watch(connection, EPOLLRDHUP);
  }
}

void HttpFront::Loop::EnterSending(ClientConnection& connection) {
  connection.phase = Phase::Sending;
  deadlines_.Set(connection.id, SEND_LIMIT, Clock::now() + SEND_TIME);
  Watch(connection, EPOLLOUT);
}

void HttpFront::Loop::EnterDraining(ClientConnection& connection) {
  connection.phase = Phase::Draining;
  admission_.Finished(connection.id);
  deadlines_.Set(connection.id, DRAIN_LIMIT, Clock::now() + DRAIN_TIME);
  Watch(connection, EPOLLIN | EPOLLRDHUP);
}

void HttpFront::Loop::ExpireDeadlines() {
  for (uint64_t id : deadlines_.Expired(Clock::now())) {
    auto found = connections_.find(id);
    if (found == connections_.end()) continue;
    ClientConnection& late = *found->second;
    if (late.phase == Phase::Receiving) {
      log_.Write(late.client, "-", "refused: request too slow", MillisecondsSince(late.started), ReplyFate::NoReply);
      Close(id);
    } else if (late.phase == Phase::Idle) {
      Close(id);
    } else {
      Finish(late);
    }
  }
}

void HttpFront::Loop::Watch(ClientConnection& connection, uint32_t events) {
  epoll_event event{events, {.u64 = connection.id}};
  epoll_ctl(epoll_.Get(), connection.watched ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, connection.fd.Get(), &event);
  connection.watched = true;
}

void HttpFront::Loop::Unwatch(ClientConnection& connection) {
  if (connection.watched) epoll_ctl(epoll_.Get(), EPOLL_CTL_DEL, connection.fd.Get(), nullptr);
  connection.watched = false;
}

// Counts `bytes` just read against the connection's share. False when the
// connection was refused for them (its address holds its share, or it is
// the largest when memory is full); others that hold more give way first.
bool HttpFront::Loop::Hold(ClientConnection& connection, size_t bytes) {
  for (;;) {
    uint64_t victim = 0;
    switch (admission_.Take(connection.id, bytes, victim)) {
      case Admission::Verdict::Taken: takenSinceTrim_ += bytes; return true;
      case Admission::Verdict::GiveWay: GiveWay(victim); continue;
      case Admission::Verdict::OverShare:
      case Admission::Verdict::Busy:
        Refuse(connection, 503, ErrorReply("the server is busy"), "refused: server busy");
        return false;
    }
  }
}

void HttpFront::Loop::Release(ClientConnection& connection, size_t bytes) {
  admission_.Release(connection.id, bytes);
  TrimWhenIdle();
}

// Hands memory back to the system once a burst of large or slow requests is
// over, so what attackers made the server hold does not stay with it.
void HttpFront::Loop::TrimWhenIdle() {
  if (admission_.Held() == 0 && inFlight_ == 0 && takenSinceTrim_ > TRIM_THRESHOLD_BYTES) {
    malloc_trim(0);
    takenSinceTrim_ = 0;
  }
}

HttpFront::HttpFront(DbCommitService& service, AccessLog& log, HttpLimits limits, ServerMetrics& metrics)
    : loop_(std::make_unique<Loop>(service, log, std::move(limits), metrics)) {}

HttpFront::~HttpFront() { Stop(); }

bool HttpFront::Start(const std::string& address, int port, unsigned workers, std::string& error) {
  return loop_->Start(address, port, workers, error);
}

void HttpFront::Stop() { loop_->Stop(); }
