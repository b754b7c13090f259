#include "server/metrics/metrics_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

constexpr std::chrono::seconds HEALTH_TIME{1};
// How often the idle listener looks whether it is to stop.
constexpr int STOP_CHECK_MS = 200;
// A request to this port is a short GET; a client gets a second to send it.
constexpr int REQUEST_TIME_MS = 1000;
constexpr size_t MAX_REQUEST_HEAD = 4096;
constexpr int BACKLOG = 16;
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

// The request line's path, once the head has arrived; "" when it does not
// arrive in time or is no GET.
std::string ReadPath(int fd) {
  std::string head;
  char buffer[1024];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < MAX_REQUEST_HEAD) {
    pollfd readable{fd, POLLIN, 0};
    if (poll(&readable, 1, REQUEST_TIME_MS) <= 0) return "";
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return "";
    head.append(buffer, static_cast<size_t>(n));
  }
  if (head.rfind("GET ", 0) != 0) return "";
  size_t end = head.find(' ', 4);
  return end == std::string::npos ? "" : head.substr(4, end - 4);
}

}  // namespace

MetricsListener::MetricsListener(std::function<std::string()> metricsText, std::function<bool()> storeAnswers)
    : metricsText_(std::move(metricsText)), storeAnswers_(std::move(storeAnswers)) {}

MetricsListener::~MetricsListener() { Stop(); }

bool MetricsListener::Start(const std::string& address, int port, std::string& error) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) {
    error = "the metrics address " + address + " is not an IPv4 address";
    return false;
  }
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
      listen(listener_, BACKLOG) != 0) {
    error = "cannot listen for metrics on " + address + ":" + std::to_string(port) + ": " + strerror(errno);
    if (listener_ >= 0) close(listener_);
    listener_ = -1;
    return false;
  }
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void MetricsListener::Stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (healthThread_.joinable()) healthThread_.join();
  if (listener_ >= 0) close(listener_);
  listener_ = -1;
}

void MetricsListener::Serve() {
  while (!stopping_) {
    pollfd incoming{listener_, POLLIN, 0};
    if (poll(&incoming, 1, STOP_CHECK_MS) <= 0) continue;
    int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    Answer(client);
    close(client);
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
