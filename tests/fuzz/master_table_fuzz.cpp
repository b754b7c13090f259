// Loads arbitrary bytes as a master file, unfiltered and filtered on a key
// taken from the input, and checks that every row stays within its slot.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "viewer/form/master_table.h"

namespace {

const std::string& ScratchPath() {
  static const std::string path = "/tmp/master_table_fuzz_" + std::to_string(getpid()) + ".dat";
  return path;
}

void CheckRows(const MasterTable& table) {
  if (table.Count() < 0 || table.Count() > MASTER_ROWS) std::abort();
  for (int row = -1; row <= table.Count(); ++row) {
    if (table.CodeAt(row).size() > MASTER_RECORD_MAX || table.NameAt(row).size() > MASTER_RECORD_MAX) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  // The first line's first bytes double as a filter key.
  std::string key(reinterpret_cast<const char*>(data), std::min<size_t>(size, 3));
  key = key.c_str();

  std::string error;
  MasterTable all;
  if (!all.Load(ScratchPath().c_str(), nullptr, nullptr, error)) std::abort();
  CheckRows(all);
  MasterTable filtered;
  if (!filtered.Load(ScratchPath().c_str(), key.c_str(), key.c_str(), error)) std::abort();
  CheckRows(filtered);
  if (filtered.Count() > all.Count()) std::abort();
  std::remove(ScratchPath().c_str());
  return 0;
}
