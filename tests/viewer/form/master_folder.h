// A scratch folder made the current folder for the length of a test, so the
// form's code finds the master files written there by bare name.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/test_files.h"

class MasterFolder {
 public:
  explicit MasterFolder(const std::string& name)
      : previous(std::filesystem::current_path()), folder(test_support::MakeScratchFolder(name)) {
    std::filesystem::current_path(folder);
  }
  ~MasterFolder() { std::filesystem::current_path(previous); }

  // Writes `bytes` (CP932, lines ended as given) to the file `name` in the folder.
  void Write(const std::string& name, const std::string& bytes) const {
    test_support::WriteBytes(folder + "/" + name, bytes);
  }

 private:
  std::filesystem::path previous;
  std::string folder;
};
