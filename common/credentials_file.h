// CredentialsFile: the user ID and password stored by the launcher's user
// settings in "user_inf.txt" beside the running executable, the password
// scrambled. Both programs read it afresh for every sign-in.
#pragma once

#include <string>

class CredentialsFile {
 public:
  // Reads the user ID and the password (unscrambled). A missing file leaves
  // both texts as they are; a missing second line leaves the password as it
  // is.
  static void Read(std::string& userId, std::string& password);

  // Creates the file anew: user ID, line feed, scrambled password, line
  // feed, stored with CR LF. Returns false when the file could not be
  // written or a value is too long to be read back whole.
  static bool Write(const std::string& userId, const std::string& password);

  // Full path of the file, beside the running executable; empty when its
  // folder cannot be named.
  static std::string Path();

  // The password scramble: every byte lowered (Scramble) or raised
  // (Unscramble) by 16, modulo 256.
  static std::string ScramblePassword(const std::string& password);
  static std::string UnscramblePassword(const std::string& scrambled);
};
