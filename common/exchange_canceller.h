// ExchangeCanceller: ends, from the user-interface thread, the exchanges
// that ServerLinks run on other threads. Windows only: it closes requests
// of the internet layer.
#pragma once

#include <mutex>
#include <set>

namespace platform {
class CHttpFile;
}

class ExchangeCanceller {
 public:
  // Registers a request under way; false (nothing registered) once Cancel
  // has run, when the exchange is not to start at all. The request must be
  // withdrawn before it is destroyed.
  bool Enlist(platform::CHttpFile& request);
  void Withdraw(platform::CHttpFile& request);

  // Closes every registered request at once and refuses later ones; the
  // exchanges blocked on them end with an exception of the internet layer.
  void Cancel();

 private:
  std::mutex mutex;
  std::set<platform::CHttpFile*> requests;
  bool cancelled = false;
};
