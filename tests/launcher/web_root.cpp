#include "tests/launcher/web_root.h"

#include "platform/wide_text.h"
#include "platform/win32.h"
#include <wininet.h>

#include "tests/support/gui_driver_win.h"
#include "tests/support/test_files.h"

namespace launcher_test {

std::string WebServerAddress() { return test_support::EnvironmentValue("TARVEX_WEB_ADDRESS"); }

std::string WebRoot() { return test_support::WindowsPath(test_support::EnvironmentValue("TARVEX_WEB_ROOT")); }

bool PublishFile(const std::string& name, const std::string& bytes) {
  return test_support::WriteBytes(WebRoot() + "\\" + name, bytes);
}

std::string RequestLog() {
  return test_support::ReadBytes(WebRoot() + "\\..\\requests.log");
}

void DropFromLocalCache(const std::string& url) { DeleteUrlCacheEntryW(platform::ToWide(url.c_str()).c_str()); }

bool InLocalCache(const std::string& url) {
  DWORD size = 0;
  GetUrlCacheEntryInfoW(platform::ToWide(url.c_str()).c_str(), nullptr, &size);
  return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
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
