#include "server/http/metrics_listener.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "server/http/request_head.h"

namespace {

constexpr std::chrono::seconds HEALTH_TIME{1};
// How often the idle listener looks whether it is to stop.
constexpr int STOP_CHECK_MS = 200;
// A request to this port is a short GET; a client gets a second to send it.
constexpr int REQUEST_TIME_MS = 1000;
constexpr size_t MAX_REQUEST_HEAD = 4096;
constexpr const char* METRICS_TYPE = "text/plain; version=0.0.4; charset=utf-8";

void SendAll(int fd, const std::string& bytes) {
  for (size_t sent = 0; sent < bytes.size();) {
    ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

void Reply(int fd, const char* status, const char* type, const std::string& body) {
  SendAll(fd, std::string("HTTP/1.1 ") + status + "\r\nContent-Type: " + type +
                  "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
}

// The path of a GET, once its head has arrived; "" when it does not arrive
// in time, is no GET, or does not parse.
std::string ReadPath(int fd) {
  std::string head;
  char buffer[1024];
  size_t end = 0;
  while (end == 0 && head.size() < MAX_REQUEST_HEAD) {
    pollfd readable{fd, POLLIN, 0};
    if (poll(&readable, 1, REQUEST_TIME_MS) <= 0) return "";
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return "";
    size_t searched = head.size();
    head.append(buffer, static_cast<size_t>(n));
    end = FindHeadEnd(head, searched);
  }
  RequestHead parsed;
  if (end == 0 || ParseRequestHead(std::string_view(head).substr(0, end), parsed) != HeadProblem::None ||
      parsed.method != "GET") {
    return "";
  }
  return parsed.target;
}

}  // namespace

MetricsListener::MetricsListener(std::function<std::string()> metricsText, std::function<bool()> storeAnswers)
    : metricsText_(std::move(metricsText)), storeAnswers_(std::move(storeAnswers)) {}

MetricsListener::~MetricsListener() { Stop(); }

bool MetricsListener::Start(const std::string& address, int port, std::string& error) {
  if (!listener_.Open(address, port, error)) {
    error = "metrics: " + error;
    return false;
  }
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void MetricsListener::Stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (healthThread_.joinable()) healthThread_.join();
  listener_.Close();
}

void MetricsListener::Serve() {
  while (!stopping_) {
    pollfd incoming{listener_.Fd(), POLLIN, 0};
    if (poll(&incoming, 1, STOP_CHECK_MS) <= 0) continue;
    // A blocking socket: the replies are written whole, one client at a time.
    ScopedFd client(accept4(listener_.Fd(), nullptr, nullptr, SOCK_CLOEXEC));
    if (client.Valid()) Answer(client.Get());
  }
}

void MetricsListener::Answer(int client) {
  std::string path = ReadPath(client);
  if (path == "/metrics") {
    Reply(client, "200 OK", METRICS_TYPE, metricsText_());
  } else if (path == "/healthz") {
    bool healthy = Healthy();
    Reply(client, healthy ? "200 OK" : "503 Service Unavailable", "text/plain",
          healthy ? "ok\n" : "the database does not answer\n");
  } else {
    Reply(client, "404 Not Found", "text/plain", "not found\n");
  }
}

// A check still running from before (a database that hangs) fails the new
// one at once rather than piling up threads.
bool MetricsListener::Healthy() {
  std::unique_lock<std::mutex> lock(healthMutex_);
  if (healthRunning_) return false;
  if (healthThread_.joinable()) healthThread_.join();
  healthRunning_ = true;
  healthThread_ = std::thread([this] {
    bool answers = storeAnswers_();
    std::lock_guard<std::mutex> done(healthMutex_);
    healthResult_ = answers;
    healthRunning_ = false;
    healthDone_.notify_all();
  });
  return healthDone_.wait_for(lock, HEALTH_TIME, [this] { return !healthRunning_; }) && healthResult_;
}
