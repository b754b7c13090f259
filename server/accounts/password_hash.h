// Passwords at rest: salted Argon2id hashes (libsodium), never the
// password itself. Each check costs tens of milliseconds and megabytes of
// memory on purpose, so a stolen account table cannot be searched quickly.
#pragma once

#include <string>

// Hashes `password` with a fresh random salt into `hash`:
// "$argon2id$v=19$m=...". Returns false with `error` set (`hash` empty)
// when the system cannot give the memory the hash needs.
[[nodiscard]] bool HashPassword(const std::string& password, std::string& hash, std::string& error);

// True when `hash` (from HashPassword) is the hash of `password`.
bool VerifyPassword(const std::string& hash, const std::string& password);

// True when `stored` is such a hash rather than a password kept in clear
// (a table from before passwords were hashed).
bool IsPasswordHash(const std::string& stored);

// Spends the time of one verification and gives nothing: a sign-in for an
// unknown user ID takes as long as one with a wrong password.
void SpendVerificationTime(const std::string& password);
