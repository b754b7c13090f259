// The temporary folder that the environment variable TEMP names, where the
// viewer writes its reports.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

struct TempFolder {
  bool set = false;   // TEMP holds a value
  std::string path;   // that folder as a path text (path_text.h); empty when none fits
  std::string shown;  // that folder as a message names it
};

// Reads TEMP as the system keeps it (UTF-16, so no character is lost to the
// system's code page) and names the folder by PathText in at most
// `maxBytes` bytes.
TempFolder FindTempFolder(size_t maxBytes);

}  // namespace platform
