#include "server/http/access_log.h"

#include "server/metrics/server_metrics.h"
#include "server/text/local_time.h"

AccessLog::~AccessLog() {
  if (file_ != nullptr) fclose(file_);
}

bool AccessLog::Open(const std::string& path, std::string& error) {
  FILE* file = fopen(path.c_str(), "a");
  if (file == nullptr) {
    error = "cannot open the access log " + path;
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ != nullptr) fclose(file_);
  file_ = file;
  return true;
}

namespace {

const char* FateText(ReplyFate fate) {
  switch (fate) {
    case ReplyFate::Delivered: return "delivered";
    case ReplyFate::NotDelivered: return "not-delivered";
    case ReplyFate::NoReply: return "no-reply";
  }
  return "-";
}

constexpr double MILLISECONDS_PER_SECOND = 1000;

}  // namespace

void AccessLog::Write(const std::string& address, const std::string& kind, const std::string& outcome,
                      double milliseconds, ReplyFate fate) {
  if (metrics_ != nullptr) metrics_->RequestFinished(kind, outcome, milliseconds / MILLISECONDS_PER_SECOND);
  std::string when = LocalTime("%Y-%m-%dT%H:%M:%S");
  std::lock_guard<std::mutex> lock(mutex_);
  FILE* out = file_ != nullptr ? file_ : stderr;
  fprintf(out, "%s %s %s %s %.2fms %s\n", when.c_str(), address.c_str(), kind.c_str(), outcome.c_str(), milliseconds,
          FateText(fate));
  fflush(out);
}
