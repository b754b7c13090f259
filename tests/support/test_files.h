// File helpers for tests: scratch folders and whole-file reads and writes.
#pragma once

#include <string>

namespace test_support {

// Creates a fresh, empty scratch folder named after `name` under the system's
// temporary folder and returns its path (with forward or back slashes as the
// platform gives them, no trailing separator).
std::string MakeScratchFolder(const std::string& name);

// Writes `bytes` to `path` exactly (binary); returns false on failure.
bool WriteBytes(const std::string& path, const std::string& bytes);

// Returns the exact bytes of the file at `path`; empty when it cannot be read.
std::string ReadBytes(const std::string& path);

// True when a file exists at `path`.
bool FileExists(const std::string& path);

// The value of the environment variable `name`; empty when it is not set.
std::string EnvironmentValue(const char* name);

}  // namespace test_support
