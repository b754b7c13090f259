#include "common/exchange_canceller.h"

#include <system_error>
#include <thread>

#include "platform/internet.h"

bool ExchangeCanceller::Enlist(platform::CHttpFile& request) {
  std::lock_guard<std::mutex> lock(mutex);
  if (cancelled) return false;
  requests.insert(&request);
  return true;
}

void ExchangeCanceller::Withdraw(platform::CHttpFile& request) {
  std::lock_guard<std::mutex> lock(mutex);
  requests.erase(&request);
}

void ExchangeCanceller::Cancel() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    cancelled = true;
  }
  try {
    std::thread([self = shared_from_this()] { self->CloseRequests(); }).detach();
  } catch (const std::system_error&) {
    CloseRequests();
  }
}

void ExchangeCanceller::CloseRequests() {
  std::lock_guard<std::mutex> lock(mutex);
  // Under the lock: a request cannot be withdrawn, hence destroyed, while
  // it is being closed here.
  for (platform::CHttpFile* request : requests) request->Close();
  requests.clear();
}
