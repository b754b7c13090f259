#include "viewer/retrieval/background_step.h"

#include <exception>
#include <mutex>
#include <thread>
#include <utility>

struct BackgroundStep::Shared {
  std::function<bool()> step;
  std::function<void()> ended;

  std::mutex mutex;
  bool cancelled = false;
  bool finished = false;
  bool succeeded = false;
  std::exception_ptr raised;

  static void Work(const std::shared_ptr<Shared>& shared) {
    bool succeeded = false;
    std::exception_ptr raised;
    try {
      succeeded = shared->step();
    } catch (...) {
      raised = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(shared->mutex);
    if (shared->cancelled) return;
    shared->finished = true;
    shared->succeeded = succeeded;
    shared->raised = raised;
    shared->ended();
  }
};

BackgroundStep::BackgroundStep(std::function<bool()> step, std::function<void()> ended)
    : shared(std::make_shared<Shared>()) {
  shared->step = std::move(step);
  shared->ended = std::move(ended);
  std::thread(Shared::Work, shared).detach();
}

BackgroundStep::~BackgroundStep() { Cancel(); }

void BackgroundStep::Cancel() {
  std::lock_guard<std::mutex> lock(shared->mutex);
  shared->cancelled = true;
}

bool BackgroundStep::Ended() const {
  std::lock_guard<std::mutex> lock(shared->mutex);
  return shared->finished;
}

bool BackgroundStep::Outcome() const {
  std::lock_guard<std::mutex> lock(shared->mutex);
  if (shared->raised) std::rethrow_exception(shared->raised);
  return shared->succeeded;
}
