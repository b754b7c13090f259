#include "common/settings_file.h"

#include <cstdio>
#include <vector>

#include "common/download_file.h"
#include "common/secure_setting.h"
#include "platform/module_path.h"
#include "platform/profile.h"
#include "platform/files.h"

namespace {

constexpr char SETTINGS_FILE_NAME[] = "qorvanet.ini";
constexpr char CREDENTIALS_FILE_NAME[] = "user_inf.txt";
constexpr char SYSTEM_SECTION[] = "system";
constexpr char VERSION_SECTION[] = "Version";
constexpr char SYSTEM_VER_KEY[] = "SystemVer";
constexpr size_t VALUE_BUFFER_SIZE = SETTINGS_VALUE_MAX + 1;
// A credentials line holds at most this many bytes; longer values are
// refused when written and cut when read.
constexpr size_t CREDENTIAL_VALUE_MAX = 1022;
constexpr unsigned char SCRAMBLE_SHIFT = 0x10;
constexpr char LINE_END[] = "\r\n";
constexpr char FOLDER_UNUSABLE[] =
    "プログラムのフォルダ[%s]を扱えないため、その中のファイルを読み書きできません。"
    "名前の短いフォルダにインストールしてください。";

bool FileExists(const std::string& path) {
  std::FILE* file = platform::OpenFile(path.c_str(), L"rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

std::string ShiftBytes(const std::string& text, unsigned char shift) {
  std::string shifted(text);
  for (char& c : shifted) c = static_cast<char>(static_cast<unsigned char>(c) + shift);
  return shifted;
}

// Reads one credentials line in binary mode: the bytes up to the line feed,
// the carriage return before it dropped, cut to CREDENTIAL_VALUE_MAX bytes
// (the rest of a longer line is skipped, not taken as the next line).
// Returns false when nothing is left to read.
bool ReadCredentialsLine(std::FILE* file, std::string& line) {
  line.clear();
  bool readAny = false;
  int c;
  while ((c = std::fgetc(file)) != EOF) {
    readAny = true;
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      break;
    }
    // One byte of room beyond the limit for the carriage return.
    if (line.size() <= CREDENTIAL_VALUE_MAX) line.push_back(static_cast<char>(c));
  }
  if (line.size() > CREDENTIAL_VALUE_MAX) line.resize(CREDENTIAL_VALUE_MAX);
  return readAny;
}

// True when `stored`, written as one credentials line, reads back whole.
bool ReadsBackWhole(const std::string& stored) {
  return stored.size() <= CREDENTIAL_VALUE_MAX && stored.find('\n') == std::string::npos;
}

bool WriteLine(std::FILE* file, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
         std::fputs(LINE_END, file) >= 0;
}

}  // namespace

SettingsFile::SettingsFile(SettingsProgram program) : program(program) {}

bool SettingsFile::Read() {
  std::string path = SettingsPath();
  auto value = [&path](const char* section, const char* key) {
    if (path.empty()) return std::string();
    return platform::ReadProfileString(path.c_str(), section, key, "", VALUE_BUFFER_SIZE);
  };
  if (program == SettingsProgram::Launcher) {
    systemVer = value(VERSION_SECTION, SYSTEM_VER_KEY);
    serverIp = value(SYSTEM_SECTION, "ServerIP");
    dlIniFile = value(SYSTEM_SECTION, "DLIniFile");
    dlSrvPath = value(SYSTEM_SECTION, "DLSrvPath");
    userUrl = value(SYSTEM_SECTION, "UserURL");
  } else {
    serverIp = value(SYSTEM_SECTION, "ServerIP");
    dataServer = value(SYSTEM_SECTION, "DataServer");
    confirmRows = value(SYSTEM_SECTION, "ConfirmRows");
  }
  secure = SecureSettingOn(value(SYSTEM_SECTION, "Secure"));
  return !path.empty() && FileExists(path);
}

bool SettingsFile::WriteVersion() {
  std::string path = SettingsPath();
  if (path.empty()) return false;
  std::vector<std::string> lines{std::string(SYSTEM_VER_KEY) + "=" + systemVer};
  return platform::ReplaceProfileSection(path.c_str(), VERSION_SECTION, lines);
}

void SettingsFile::ReadCredentials(std::string& userId, std::string& password) {
  std::string path = CredentialsPath();
  if (path.empty()) return;
  // Binary mode: the scrambled password may hold 0x1A (from "*"), where a
  // text-mode read would stop.
  std::FILE* file = platform::OpenFile(path.c_str(), L"rb");
  if (file == nullptr) return;
  std::string line;
  if (ReadCredentialsLine(file, line)) {
    userId = line;
    if (ReadCredentialsLine(file, line)) password = UnscramblePassword(line);
  }
  std::fclose(file);
}

bool SettingsFile::WriteCredentials(const std::string& userId, const std::string& password) {
  std::string scrambled = ScramblePassword(password);
  if (!ReadsBackWhole(userId) || !ReadsBackWhole(scrambled)) return false;
  std::string path = CredentialsPath();
  if (path.empty()) return false;
  std::FILE* file = platform::OpenFile(path.c_str(), L"wb");
  if (file == nullptr) return false;
  bool written = WriteLine(file, userId) && WriteLine(file, scrambled);
  return std::fclose(file) == 0 && written;
}

std::string SettingsFile::SettingsPath() { return platform::FileBeside(SETTINGS_FILE_NAME); }

std::string SettingsFile::CredentialsPath() { return platform::FileBeside(CREDENTIALS_FILE_NAME); }

bool SettingsFile::FolderUsable() { return !SettingsPath().empty() && !CredentialsPath().empty(); }

std::string SettingsFile::FolderUnusableMessage() {
  std::string folder = platform::ShownModuleFolder();
  std::vector<char> message(sizeof FOLDER_UNUSABLE + folder.size());
  std::snprintf(message.data(), message.size(), FOLDER_UNUSABLE, folder.c_str());
  return message.data();
}

std::string SettingsFile::ScramblePassword(const std::string& password) {
  return ShiftBytes(password, static_cast<unsigned char>(0x100 - SCRAMBLE_SHIFT));
}

std::string SettingsFile::UnscramblePassword(const std::string& scrambled) {
  return ShiftBytes(scrambled, SCRAMBLE_SHIFT);
}

bool SettingsFile::MayDownload(const std::string& url) const { return !secure || IsHttpsAddress(url); }

bool SettingsFile::DownloadFile(const char* localPath, const char* url) {
  return MayDownload(url) && FetchUrlToFile(localPath, url, secure);
}
