#include "common/settings.h"

#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "platform/module_path.h"
#include "platform/profile.h"

namespace {

constexpr char SETTINGS_FILE_NAME[] = "qorvanet.ini";
constexpr char SYSTEM_SECTION[] = "system";
constexpr char VERSION_SECTION[] = "Version";
constexpr char SYSTEM_VER_KEY[] = "SystemVer";
constexpr size_t VALUE_BUFFER_SIZE = SETTINGS_VALUE_MAX + 1;
constexpr const char* PLAIN_VALUES[] = {"", "0", "no", "false", "off"};

bool FileExists(const std::string& path) {
  std::FILE* file = platform::OpenFile(path.c_str(), L"rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

// ASCII letters lowered; every other byte (Shift-JIS ones among them) kept.
std::string Lowered(const std::string& text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

}  // namespace

bool Settings::Read(SettingsProgram program) {
  std::string path = Path();
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
    connections = ConnectionsSetting(value(SYSTEM_SECTION, "Connections"));
  }
  secure = SecureSettingOn(value(SYSTEM_SECTION, "Secure"));
  return !path.empty() && FileExists(path);
}

bool Settings::WriteVersion() {
  std::string path = Path();
  if (path.empty()) return false;
  std::vector<std::string> lines{std::string(SYSTEM_VER_KEY) + "=" + systemVer};
  return platform::ReplaceProfileSection(path.c_str(), VERSION_SECTION, lines);
}

std::string Settings::Path() { return platform::FileBeside(SETTINGS_FILE_NAME); }

int ConnectionsSetting(const std::string& value) {
  if (value.empty()) return DEFAULT_CONNECTIONS;
  long number = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return DEFAULT_CONNECTIONS;
    // Stops growing past the cap, so no number of digits overflows.
    if (number <= MAX_CONNECTIONS) number = number * 10 + (c - '0');
  }
  if (number == 0) return DEFAULT_CONNECTIONS;
  return number > MAX_CONNECTIONS ? MAX_CONNECTIONS : static_cast<int>(number);
}

bool SecureSettingOn(const std::string& value) {
  std::string lowered = Lowered(value);
  for (const char* plain : PLAIN_VALUES) {
    if (lowered == plain) return false;
  }
  return true;
}
