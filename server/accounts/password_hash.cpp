#include "server/accounts/password_hash.h"

#include <sodium.h>

#include <mutex>

namespace {

// Two passes over 19 MiB: the smallest Argon2id cost commonly recommended
// for passwords, and what keeps a sign-in near 30 ms on one core.
constexpr unsigned long long HASH_PASSES = 2;
constexpr size_t HASH_MEMORY_BYTES = 19 << 20;
constexpr const char* HASH_PREFIX = "$argon2id$";

void InitializeOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (sodium_init() < 0) abort();
  });
}

}  // namespace

bool HashPassword(const std::string& password, std::string& hash, std::string& error) {
  InitializeOnce();
  char text[crypto_pwhash_STRBYTES];
  bool hashed = crypto_pwhash_str_alg(text, password.data(), password.size(), HASH_PASSES, HASH_MEMORY_BYTES,
                                      crypto_pwhash_ALG_ARGON2ID13) == 0;
  hash = hashed ? text : "";
  if (!hashed) error = "not enough memory to hash a password";
  return hashed;
}

bool VerifyPassword(const std::string& hash, const std::string& password) {
  InitializeOnce();
  return IsPasswordHash(hash) && crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

bool IsPasswordHash(const std::string& stored) { return stored.rfind(HASH_PREFIX, 0) == 0; }

void SpendVerificationTime(const std::string& password) {
  // Without the memory for this hash there is nothing to verify against:
  // the sign-in is refused all the same, only sooner.
  static std::string unknown, ignored;
  static const bool hashed = HashPassword("no account has this password", unknown, ignored);
  if (hashed) VerifyPassword(unknown, password);
}
