#include "tests/support/open_recorder_win.h"

#include <cwctype>

#include "platform/wide_text.h"
#include "platform/win32.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/test_files.h"

namespace test_support {

namespace {

using platform::ToWide;

constexpr wchar_t PROGRAM_ID[] = L"TarvexTest.OpenRecorder";
constexpr const wchar_t* DOCUMENT_TYPES[] = {L".html", L".htm", L".csv", L".txt"};
constexpr char RECORDER_IN_BUILD[] = "/tests/support/open_recorder/open_recorder.exe";
constexpr DWORD LONG_PATH_ROOM = 32768;

bool SetDefaultValue(const std::wstring& key, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  LONG result = RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return result == ERROR_SUCCESS;
}

bool SetNamedValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The command line minus its first token (the program, quoted or not).
std::wstring ArgumentsOf(const std::wstring& commandLine) {
  size_t end = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    end = commandLine.find(L'"', 1);
    end = end == std::wstring::npos ? commandLine.size() : end + 1;
  } else {
    end = commandLine.find(L' ');
    if (end == std::wstring::npos) end = commandLine.size();
  }
  size_t start = commandLine.find_first_not_of(L' ', end);
  return start == std::wstring::npos ? std::wstring() : commandLine.substr(start);
}

std::wstring FromUtf8(const std::string& text) { return platform::DecodeText(CP_UTF8, text.data(), text.size()); }

}  // namespace

std::wstring ComparablePath(std::wstring path) {
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
  std::wstring longForm(LONG_PATH_ROOM, L'\0');
  DWORD length = GetLongPathNameW(path.c_str(), &longForm[0], LONG_PATH_ROOM);
  if (length > 0 && length < LONG_PATH_ROOM) path.assign(longForm.data(), length);
  for (wchar_t& c : path) c = static_cast<wchar_t>(std::towlower(c));
  return path;
}

std::string OpenRecorderPath() {
  return BuildPath(RECORDER_IN_BUILD);
}

bool RegisterOpenRecorder() {
  std::wstring command = L"\"" + ToWide(OpenRecorderPath().c_str()) + L"\" \"%1\"";
  bool ok = SetDefaultValue(std::wstring(PROGRAM_ID) + L"\\shell\\open\\command", command);
  for (const wchar_t* type : DOCUMENT_TYPES) ok = SetDefaultValue(type, PROGRAM_ID) && ok;
  ok = SetDefaultValue(L"http", L"URL:HyperText Transfer Protocol") && ok;
  ok = SetNamedValue(L"http", L"URL Protocol", L"") && ok;
  ok = SetDefaultValue(L"http\\shell\\open\\command", command) && ok;
  return ok;
}

bool ForgetDocumentType(const wchar_t* type) {
  LONG result = RegDeleteTreeW(HKEY_CLASSES_ROOT, type);
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

void UseOpenRecorderLog(const std::string& logPath) {
  std::string windowsPath = WindowsPath(logPath);
  DeleteFileW(ToWide(windowsPath.c_str()).c_str());
  SetEnvironmentVariableW(L"OPEN_RECORDER_LOG", ToWide(windowsPath.c_str()).c_str());
}

std::vector<OpenRecord> ReadOpenRecords(const std::string& logPath) {
  std::vector<OpenRecord> records;
  std::string log = ReadBytes(WindowsPath(logPath));
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find("\r\n", start);
    if (end == std::string::npos) break;  // a line still being written
    std::string line = log.substr(start, end - start);
    size_t tab = line.rfind('\t');
    std::wstring commandLine = FromUtf8(line.substr(0, tab));
    OpenRecord record;
    record.commandLine = platform::ToNarrowMarked(commandLine);
    record.wideArguments = ArgumentsOf(commandLine);
    record.arguments = platform::ToNarrowMarked(record.wideArguments);
    if (tab != std::string::npos) record.folder = platform::ToNarrowMarked(FromUtf8(line.substr(tab + 1)));
    records.push_back(record);
    start = end + 2;
  }
  return records;
}

std::vector<OpenRecord> WaitForOpenRecords(const std::string& logPath, size_t count, int timeoutMs) {
  std::vector<OpenRecord> records;
  WaitUntil(
      [&] {
        records = ReadOpenRecords(logPath);
        return records.size() >= count;
      },
      timeoutMs);
  return records;
}

}  // namespace test_support
