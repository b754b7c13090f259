#include "viewer/retrieval/parallel_retrieval.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "viewer/retrieval/reply_rows.h"

namespace {

// One station's exchange as it ended.
struct StationReply {
  bool ended = false;
  bool succeeded = false;
  std::string reply;
  int rowCount = 0;
  std::exception_ptr raised;
};

// Sets a flag for the lifetime of the object, also when an exception leaves.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag(flag) { flag = true; }
  ~FlagScope() { flag = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag;
};

}  // namespace

struct ParallelRetrieval::Shared {
  std::vector<std::string> statements;
  StationExchange exchange;
  std::function<void()> arrived;

  size_t connections = 1;

  std::mutex mutex;
  std::condition_variable replyArrived;
  std::condition_variable replyTaken;
  std::vector<StationReply> replies;
  size_t nextToSend = 0;
  size_t taken = 0;
  int arrivedCount = 0;
  bool cancelled = false;

  // A worker thread: sends the next statement not yet sent until none is
  // left or the retrieval is cancelled. A station is sent only while fewer
  // than `connections` stations before it wait to be taken, so one
  // connection is exactly one station after the other (each sent once the
  // previous one has been taken) and the replies held stay bounded.
  static void Work(const std::shared_ptr<Shared>& shared) {
    for (;;) {
      size_t index;
      {
        std::unique_lock<std::mutex> lock(shared->mutex);
        shared->replyTaken.wait(lock, [&] {
          return shared->cancelled || shared->nextToSend == shared->statements.size() ||
                 shared->nextToSend < shared->taken + shared->connections;
        });
        if (shared->cancelled || shared->nextToSend == shared->statements.size()) return;
        index = shared->nextToSend++;
      }
      StationReply reply;
      try {
        reply.succeeded = shared->exchange(shared->statements[index], reply.reply, reply.rowCount);
      } catch (...) {
        reply.raised = std::current_exception();
      }
      reply.ended = true;
      std::lock_guard<std::mutex> lock(shared->mutex);
      if (shared->cancelled) return;
      shared->replies[index] = std::move(reply);
      ++shared->arrivedCount;
      shared->replyArrived.notify_all();
      if (shared->arrived) shared->arrived();
    }
  }
};

ParallelRetrieval::ParallelRetrieval(const Query& query, int connections, StationExchange exchange,
                                     std::function<void()> arrived)
    : query(query), shared(std::make_shared<Shared>()) {
  shared->statements = StationStatements(query);
  shared->exchange = std::move(exchange);
  shared->arrived = std::move(arrived);
  shared->replies.resize(shared->statements.size());
  shared->connections = static_cast<size_t>(std::max(connections, 1));
  rows = EmptyRows(query);
  int threads = std::min(std::max(connections, 1), StationCount());
  for (int started = 0; started < threads; ++started) {
    try {
      std::thread(Shared::Work, shared).detach();
    } catch (...) {
      // The threads already started carry the stations; only none at all fails.
      if (started == 0) throw;
      break;
    }
  }
}

ParallelRetrieval::~ParallelRetrieval() { Cancel(); }

int ParallelRetrieval::StationCount() const { return static_cast<int>(shared->statements.size()); }

int ParallelRetrieval::Arrived() const {
  std::lock_guard<std::mutex> lock(shared->mutex);
  return shared->arrivedCount;
}

void ParallelRetrieval::Cancel() {
  std::lock_guard<std::mutex> lock(shared->mutex);
  shared->cancelled = true;
  shared->replyTaken.notify_all();
}

void ParallelRetrieval::TakeArrived(const StationFailed& stationFailed) {
  if (taking) return;
  FlagScope scope(taking);
  while (!Finished()) {
    StationReply reply;
    {
      std::lock_guard<std::mutex> lock(shared->mutex);
      if (!shared->replies[taken].ended) return;
      reply = std::move(shared->replies[taken]);
    }
    if (reply.raised) {
      Cancel();
      std::rethrow_exception(reply.raised);
    }
    if (reply.succeeded) {
      ReadReplyRows(query.period.periodType, reply.reply.data(), reply.reply.size(), reply.rowCount, rows);
    } else {
      std::string station;
      std::string name;
      query.stations.GetAt(taken, station, name);
      stationFailed(station.c_str());
    }
    // Only now may the next station go out: with one connection, not
    // before the user has closed this station's box.
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->taken = static_cast<size_t>(++taken);
    shared->replyTaken.notify_all();
  }
}

void ParallelRetrieval::TakeAll(const StationFailed& stationFailed) {
  while (!Finished()) {
    {
      std::unique_lock<std::mutex> lock(shared->mutex);
      shared->replyArrived.wait(lock, [&] { return shared->replies[taken].ended; });
    }
    TakeArrived(stationFailed);
  }
}
