// The settings file of norda_server and norda_admin: one setting a line,
// "key = value", the key being a command-line option's name without its
// dashes. Blank lines and lines starting with "#" are comments. The value
// runs to the end of the line (white space around it dropped), so a
// connection string may hold "=" and spaces.
#pragma once

#include <string>
#include <vector>

struct ConfigEntry {
  std::string key;
  std::string value;
  int line = 0;  // 1-based, for messages
};

// Reads the settings of the file at `path` in file order. Returns false
// with `error` set to "PATH:LINE: reason" (or "PATH: reason" when it cannot
// be read) at the first line that is not a comment nor "key = value".
bool ReadConfigFile(const std::string& path, std::vector<ConfigEntry>& entries, std::string& error);
