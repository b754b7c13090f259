// MessageBoxWatcher: answers the message boxes a test's own process shows, so
// code that reports to the user can run unattended. A watcher thread looks
// for the process's dialog-class (#32770) top-level windows, records their
// caption and text as Shift-JIS, and posts (never sends) the click of a button.
// Windows only.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

struct SeenMessageBox {
  std::string caption;  // code page 932
  std::string text;     // the message, code page 932
};

class MessageBoxWatcher {
 public:
  // Starts watching. Each box is answered with the button of id `answerId`
  // (1: OK, 6: Yes, 7: No); a box without that button gets its first button.
  explicit MessageBoxWatcher(int answerId = 1);
  ~MessageBoxWatcher();  // stops watching; boxes shown later stay unanswered
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  // The boxes answered so far, in the order they appeared.
  std::vector<SeenMessageBox> Seen() const;

  // Waits until at least `count` boxes have been answered; false when
  // `timeoutMilliseconds` passed first.
  bool WaitForCount(size_t count, int timeoutMilliseconds) const;

 private:
  void Watch();
  void AnswerOpenBoxes();

  int answerId;
  std::atomic<bool> stopping;
  mutable std::mutex lock;
  std::vector<SeenMessageBox> seen;
  std::set<void*> answered;  // boxes clicked that have not closed yet
  std::thread watcher;
};

}  // namespace test_support
