// open_recorder.exe: stands in for the programs the shell starts (web
// browser, spreadsheet, text viewer) while the programs under test run.
// Registered as the "open" program of the document types and addresses the
// programs open (open_recorder_win.h), it starts nothing: it appends one
// line to its log and ends.
//
// Log line (UTF-8, so that paths Shift-JIS cannot hold arrive whole; CR LF):
// the command line as received, a tab, the current folder. The log is the
// file named by the environment variable OPEN_RECORDER_LOG, or
// "open_recorder.log" beside the executable.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/wide_text.h"
#include "platform/win32.h"

namespace {

std::wstring LogPath() {
  std::vector<wchar_t> value(32768, L'\0');
  DWORD length = GetEnvironmentVariableW(L"OPEN_RECORDER_LOG", value.data(), static_cast<DWORD>(value.size()));
  if (length > 0 && length < value.size()) return std::wstring(value.data(), length);
  std::vector<wchar_t> program(32768, L'\0');
  length = GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
  std::wstring path(program.data(), length);
  size_t slash = path.find_last_of(L"\\/");
  return path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + L"open_recorder.log";
}

std::wstring CurrentFolder() {
  std::vector<wchar_t> folder(32768, L'\0');
  DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  return std::wstring(folder.data(), length);
}

}  // namespace

int main() {
  std::string line = platform::EncodeText(CP_UTF8, GetCommandLineW()) + "\t" +
                     platform::EncodeText(CP_UTF8, CurrentFolder()) + "\r\n";
  FILE* log = _wfopen(LogPath().c_str(), L"ab");
  if (log == nullptr) return 1;
  std::fwrite(line.data(), 1, line.size(), log);
  std::fclose(log);
  return 0;
}
