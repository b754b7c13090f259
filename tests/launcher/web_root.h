// The folder that tests/launcher/with_web_server.sh serves, as the Windows
// programs under Wine see it, and what the server was asked for.
#pragma once

#include <string>

namespace launcher_test {

// Address of the update web server of the test folder (set by the wrapper
// in the test's CMakeLists).
std::string WebServerAddress();

// The served folder as a Windows path ("Z:\tmp\...\www", no trailing
// backslash); empty when the test does not run under the wrapper.
std::string WebRoot();

// Writes `bytes` to `name` in the served folder; false on failure.
bool PublishFile(const std::string& name, const std::string& bytes);

// Every request the server received so far, one "path user-agent" line each.
std::string RequestLog();

// The system's internet cache (of this Wine prefix, kept from one test run
// to the next): whether it holds a copy of `url`, and removing that copy.
bool InLocalCache(const std::string& url);
void DropFromLocalCache(const std::string& url);

// `size` bytes that no text-mode copy survives intact: every byte value
// including CR, LF and 0x1A, in an order that differs from one offset to
// the next.
std::string BinaryBytes(size_t size);

}  // namespace launcher_test
