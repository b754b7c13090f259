#include "server/http/http_front.h"

#include <arpa/inet.h>
#include <linux/filter.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "server/protocol/db_commit.h"

namespace {

constexpr unsigned CONNECTION_TIMEOUT_SECONDS = 30;
// Threads that read and write the sockets; the requests themselves run on
// the work queue.
constexpr unsigned IO_THREADS = 2;
// On stop, requests under way get this long to be answered.
constexpr auto DRAIN_TIME = std::chrono::seconds(10);
constexpr auto DRAIN_POLL_INTERVAL = std::chrono::milliseconds(20);
// On stop, how long TCP handshakes already under way get to complete: a
// round trip on the local network, with room to spare.
constexpr auto HANDSHAKE_TIME = std::chrono::milliseconds(10);
// Connection requests that arrive meanwhile wait for their second try, so
// the waiting connections are watched closely.
constexpr auto ACCEPT_POLL_INTERVAL = std::chrono::milliseconds(1);
// Where a socket filter of a TCP socket finds the segment's flags.
constexpr uint32_t TCP_FLAGS_OFFSET = 13;
constexpr uint32_t KEEP_WHOLE_SEGMENT = 0xFFFFFFFF;
constexpr const char* REPLY_CONTENT_TYPE = "text/plain; charset=Shift_JIS";

// One POST: its body as it arrives, then, once a worker has run it, the
// reply. The connection is suspended while the request waits and runs.
struct PendingRequest {
  std::string body;
  bool tooLarge = false;
  std::atomic<bool> answered{false};
  std::string reply;
};

bool IsScriptPath(const char* url) {
  // Accept the object name with or without its leading slash.
  return strcmp(url, SCRIPT_PATH) == 0 || strcmp(url, SCRIPT_PATH + 1) == 0;
}

MHD_Result Answer(MHD_Connection* connection, unsigned status, const std::string& body) {
  MHD_Response* response =
      MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
  if (response == nullptr) return MHD_NO;
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, REPLY_CONTENT_TYPE);
  MHD_Result result = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  return result;
}

// A body announced beyond this is refused before it is read. Smaller
// oversized bodies are read and dropped, so that the client, still sending,
// is not cut off before it can read the refusal.
constexpr unsigned long long UNREAD_BODY_BYTES = 16ULL << 20;

bool DeclaresHugeBody(MHD_Connection* connection) {
  const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
  return length != nullptr && strtoull(length, nullptr, 10) > UNREAD_BODY_BYTES;
}

// Hands the received request to the work queue and suspends the
// connection; the worker resumes it once the reply is ready.
void Dispatch(HttpFront::Context& context, MHD_Connection* connection, PendingRequest* pending) {
  MHD_suspend_connection(connection);
  context.queue.Submit([&context, connection, pending] {
    pending->reply = context.service.Run(pending->body);
    pending->answered = true;
    MHD_resume_connection(connection);
  });
}

MHD_Result HandleRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
                         const char*, const char* uploadData, size_t* uploadSize, void** state) {
  auto& context = *static_cast<HttpFront::Context*>(cls);
  auto* pending = static_cast<PendingRequest*>(*state);
  if (pending == nullptr) {
    if (!IsScriptPath(url)) return Answer(connection, MHD_HTTP_NOT_FOUND, "not found\n");
    if (strcmp(method, MHD_HTTP_METHOD_POST) != 0) {
      return Answer(connection, MHD_HTTP_METHOD_NOT_ALLOWED, ErrorReply("only POST is served"));
    }
    if (DeclaresHugeBody(connection)) return Answer(connection, MHD_HTTP_OK, ErrorReply("request body too large"));
    *state = new PendingRequest;
    return MHD_YES;
  }
  if (*uploadSize > 0) {
    if (pending->body.size() + *uploadSize > MAX_REQUEST_BYTES) {
      pending->tooLarge = true;
      pending->body.clear();
    }
    if (!pending->tooLarge) pending->body.append(uploadData, *uploadSize);
    *uploadSize = 0;
    return MHD_YES;
  }
  if (pending->tooLarge) return Answer(connection, MHD_HTTP_OK, ErrorReply("request body too large"));
  if (pending->answered) return Answer(connection, MHD_HTTP_OK, pending->reply);
  Dispatch(context, connection, pending);
  return MHD_YES;
}

void RequestFinished(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
  delete static_cast<PendingRequest*>(*state);
  *state = nullptr;
}

void CountConnection(void* cls, MHD_Connection*, void**, MHD_ConnectionNotificationCode code) {
  auto* open = static_cast<std::atomic<int>*>(cls);
  if (code == MHD_CONNECTION_NOTIFY_STARTED) {
    ++*open;
  } else {
    --*open;
  }
}

// Makes the listening socket drop connection requests (segments with SYN
// and without ACK) and pass everything else, so handshakes under way still
// complete. A client whose connection request was dropped sends it again a
// second later and then finds the port closed.
void IgnoreConnectionRequests(MHD_socket listening) {
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

// Connections the kernel has accepted on `listening` that the daemon has
// not yet taken over (for a listening socket, TCP_INFO counts its queue).
unsigned WaitingConnections(MHD_socket listening) {
  tcp_info info{};
  socklen_t length = sizeof info;
  return getsockopt(listening, IPPROTO_TCP, TCP_INFO, &info, &length) == 0 ? info.tcpi_unacked : 0;
}

// Sleeps in steps of `step` until `done` holds or the time is up.
template <typename Condition>
void WaitUntil(Condition done, std::chrono::milliseconds step, std::chrono::steady_clock::time_point giveUp) {
  while (!done() && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(step);
}

}  // namespace

HttpFront::HttpFront(DbCommitService& service) : service_(service) {}

HttpFront::~HttpFront() { Stop(); }

bool HttpFront::Start(const std::string& address, int port, unsigned workers, std::string& error) {
  sockaddr_in socketAddress{};
  socketAddress.sin_family = AF_INET;
  socketAddress.sin_port = htons(static_cast<uint16_t>(port));
  if (port <= 0 || port > 65535 || inet_pton(AF_INET, address.c_str(), &socketAddress.sin_addr) != 1) {
    error = "not an IPv4 address and port: " + address + ":" + std::to_string(port);
    return false;
  }
  queue_ = std::make_unique<WorkQueue>(workers);
  context_ = std::make_unique<Context>(Context{service_, *queue_});
  daemon_ = MHD_start_daemon(MHD_USE_AUTO_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_ERROR_LOG,
                             static_cast<uint16_t>(port),
                             nullptr, nullptr, HandleRequest, context_.get(),
                             MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&socketAddress),
                             MHD_OPTION_THREAD_POOL_SIZE, IO_THREADS,
                             MHD_OPTION_CONNECTION_TIMEOUT, CONNECTION_TIMEOUT_SECONDS,
                             MHD_OPTION_NOTIFY_COMPLETED, RequestFinished, nullptr,
                             MHD_OPTION_NOTIFY_CONNECTION, CountConnection, &openConnections_,
                             MHD_OPTION_END);
  if (daemon_ == nullptr) {
    error = "cannot listen on " + address + ":" + std::to_string(port);
    return false;
  }
  return true;
}

// Closes the port without resetting a connection a client has already
// made, and may have sent its request on: a balancer in front passes a
// refused connection to another server, but never a request it has sent.
// So new connection requests are dropped first, handshakes under way
// complete, the daemon takes over every waiting connection, and only then
// is the port closed; the requests under way are answered last.
void HttpFront::Stop() {
  if (daemon_ == nullptr) return;
  auto giveUp = std::chrono::steady_clock::now() + DRAIN_TIME;
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_LISTEN_FD);
  if (info != nullptr && info->listen_fd != MHD_INVALID_SOCKET) {
    IgnoreConnectionRequests(info->listen_fd);
    std::this_thread::sleep_for(HANDSHAKE_TIME);
    WaitUntil([&] { return WaitingConnections(info->listen_fd) == 0; }, ACCEPT_POLL_INTERVAL, giveUp);
  }
  // The descriptor stays open until the daemon has stopped, as the library
  // asks; shutting it down closes the port.
  MHD_socket listening = MHD_quiesce_daemon(daemon_);
  if (listening != MHD_INVALID_SOCKET) shutdown(listening, SHUT_RDWR);
  // A connection the daemon has just taken is counted once its thread has
  // registered it.
  std::this_thread::sleep_for(DRAIN_POLL_INTERVAL);
  WaitUntil([this] { return openConnections_ == 0; }, DRAIN_POLL_INTERVAL, giveUp);
  // Every queued request resumes its connection, which must still exist.
  queue_->Stop();
  MHD_stop_daemon(daemon_);
  daemon_ = nullptr;
  if (listening != MHD_INVALID_SOCKET) close(listening);
}
