#include "tests/launcher/web_root.h"

#include <cstdlib>

#include "tests/support/test_files.h"

namespace launcher_test {

namespace {

// Wine shows the Linux file system as drive Z:.
std::string WindowsPathOf(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace

std::string WebServerAddress() {
  const char* address = std::getenv("TARVEX_WEB_ADDRESS");
  return address != nullptr ? address : "";
}

std::string WebRoot() {
  const char* root = std::getenv("TARVEX_WEB_ROOT");
  return root != nullptr ? WindowsPathOf(root) : "";
}

bool PublishFile(const std::string& name, const std::string& bytes) {
  return test_support::WriteBytes(WebRoot() + "\\" + name, bytes);
}

std::string RequestLog() {
  return test_support::ReadBytes(WebRoot() + "\\..\\requests.log");
}

std::string BinaryBytes(size_t size) {
  std::string bytes(size, '\0');
  unsigned state = 12345;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    bytes[i] = static_cast<char>((state >> 16) ^ i);
  }
  return bytes;
}

}  // namespace launcher_test
