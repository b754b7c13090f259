// ExchangeCanceller: ends, from the user-interface thread, the exchanges
// that ServerLinks run on other threads. Windows only: it closes requests
// of the internet layer.
#pragma once

#include <memory>
#include <mutex>
#include <set>

namespace platform {
class CHttpFile;
}

// Always held by a std::shared_ptr (Cancel keeps itself alive with it).
class ExchangeCanceller : public std::enable_shared_from_this<ExchangeCanceller> {
 public:
  // Registers a request under way; false (nothing registered) once Cancel
  // has run, when the exchange is not to start at all. The request must be
  // withdrawn before it is destroyed.
  bool Enlist(platform::CHttpFile& request);
  void Withdraw(platform::CHttpFile& request);

  // Refuses later requests and closes every registered one; the exchanges
  // blocked on them end with an exception of the internet layer. Returns at
  // once: the closing runs on a thread of its own, since the internet layer
  // may hold a close until a call blocked on the request lets go of it (Wine
  // does, until the call's next bytes or its timeout).
  void Cancel();

 private:
  void CloseRequests();

  std::mutex mutex;
  std::set<platform::CHttpFile*> requests;
  bool cancelled = false;
};
