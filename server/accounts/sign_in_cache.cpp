#include "server/accounts/sign_in_cache.h"

#include <sodium.h>

#include <cstdlib>
#include <iterator>

namespace {

// How long a verified password is taken without hashing it again.
constexpr auto ENTRY_LIFETIME = std::chrono::minutes(10);
// Entries kept at most; past it the expired ones go, and if none has
// expired, all of them.
constexpr size_t MAX_ENTRIES = 4096;

}  // namespace

SignInCache::SignInCache() : key_(crypto_generichash_KEYBYTES, '\0') {
  if (sodium_init() < 0) abort();
  randombytes_buf(key_.data(), key_.size());
}

std::string SignInCache::Digest(const std::string& storedHash, const std::string& password) const {
  std::string text = storedHash;
  text += '\0';
  text += password;
  std::string digest(crypto_generichash_BYTES, '\0');
  crypto_generichash(reinterpret_cast<unsigned char*>(digest.data()), digest.size(),
                     reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                     reinterpret_cast<const unsigned char*>(key_.data()), key_.size());
  sodium_memzero(text.data(), text.size());
  return digest;
}

bool SignInCache::Knows(const std::string& storedHash, const std::string& password) {
  std::string digest = Digest(storedHash, password);
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = verified_.find(digest);
  if (found == verified_.end()) return false;
  if (found->second > Clock::now()) return true;
  verified_.erase(found);
  return false;
}

void SignInCache::Remember(const std::string& storedHash, const std::string& password) {
  std::string digest = Digest(storedHash, password);
  std::lock_guard<std::mutex> lock(mutex_);
  if (verified_.size() >= MAX_ENTRIES) {
    Clock::time_point now = Clock::now();
    for (auto entry = verified_.begin(); entry != verified_.end();) {
      entry = entry->second <= now ? verified_.erase(entry) : std::next(entry);
    }
    if (verified_.size() >= MAX_ENTRIES) verified_.clear();
  }
  verified_[digest] = Clock::now() + ENTRY_LIFETIME;
}
