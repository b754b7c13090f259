// BackgroundStep: one blocking step of the display command (the sign-in)
// run on a thread of its own, so that the window waiting for it goes on
// taking messages: it repaints, answers the system and can be cancelled.
#pragma once

#include <functional>
#include <memory>

class BackgroundStep {
 public:
  // Starts `step` (true when it succeeded) on a detached thread; `ended` is
  // called on that thread once the step has ended, unless Cancel ran
  // before; it must not block. Throws std::system_error when no thread can
  // be started.
  BackgroundStep(std::function<bool()> step, std::function<void()> ended);
  // Cancels; does not wait for the thread, which ends with its step.
  ~BackgroundStep();
  BackgroundStep(const BackgroundStep&) = delete;
  BackgroundStep& operator=(const BackgroundStep&) = delete;

  // Stops calling `ended`; the step runs on to its end and its outcome is
  // dropped.
  void Cancel();

  // True once the step has ended, unless Cancel ran before it did.
  bool Ended() const;

  // Once Ended: what the step answered; an exception it raised leaves here.
  // Everything the step wrote before it ended may then be read.
  bool Outcome() const;

 private:
  struct Shared;  // what the thread shares with this object
  std::shared_ptr<Shared> shared;
};
