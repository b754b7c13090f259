#include "server/store/reader_memory.h"

bool ReaderMemory::Recall(const std::string& address, int64_t signedInAfter, Reader& reader) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = readers_.find(address);
  if (it == readers_.end() || it->second.expires <= Clock::now() || it->second.reader.signedIn <= signedInAfter) {
    return false;
  }
  reader = it->second.reader;
  return true;
}

void ReaderMemory::Remember(const std::string& address, const Reader& reader) {
  if (reader.hasAllowance) return;
  Clock::time_point now = Clock::now();
  std::lock_guard<std::mutex> lock(mutex_);
  if (readers_.size() >= SWEEP_SIZE) {
    for (auto it = readers_.begin(); it != readers_.end();) it = it->second.expires <= now ? readers_.erase(it) : ++it;
  }
  readers_[address] = {reader, now + READER_MEMORY};
}

void ReaderMemory::Forget(const std::string& address) {
  std::lock_guard<std::mutex> lock(mutex_);
  readers_.erase(address);
}
