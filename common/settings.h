// Settings: the values of the settings file "qorvanet.ini" beside the
// running executable. Nothing is cached: callers construct one per command
// and read afresh.
#pragma once

#include <string>

// Which program reads, and so which keys Read reads.
enum class SettingsProgram { Viewer, Launcher };

// A value read from the settings file holds at most this many bytes.
constexpr size_t SETTINGS_VALUE_MAX = 259;

// What both programs tell the user when Read returns false; the command goes
// on with empty settings.
constexpr char SETTINGS_UNREADABLE[] = "設定ファイルが読み込めませんでした";

// Connections without a usable value: like a browser's connections to one host.
constexpr int DEFAULT_CONNECTIONS = 6;
// More would only queue at the server, and open as many connections for a
// single user.
constexpr int MAX_CONNECTIONS = 16;

class Settings {
 public:
  // Reads the program's keys (launcher order: SystemVer, ServerIP, DLIniFile,
  // DLSrvPath, UserURL, Secure; viewer: ServerIP, DataServer, ConfirmRows,
  // Connections, Secure), missing ones as empty texts. Returns false when the
  // settings file does not exist, true otherwise.
  bool Read(SettingsProgram program);

  // Replaces the whole Version section by the single line "SystemVer=" +
  // systemVer; the system section is untouched. Returns false on failure.
  bool WriteVersion();

  // Full path of the settings file, beside the running executable; empty
  // when its folder cannot be named.
  static std::string Path();

  std::string serverIp;
  // The viewer's data server (host of the observation tables); empty: the
  // one built into the viewer.
  std::string dataServer;
  // The viewer's ConfirmRows as written: above how many rows a query is
  // confirmed before it runs (the viewer reads the number).
  std::string confirmRows;
  // The viewer's exchanges side by side with the data server
  // (ConnectionsSetting of the key Connections).
  int connections = DEFAULT_CONNECTIONS;
  std::string dlIniFile;
  std::string dlSrvPath;
  std::string userUrl;
  std::string systemVer;
  // Secure: both programs talk HTTPS (port 443) to the servers and fetch
  // updates over https only; false (the key missing): plain HTTP, port 80.
  bool secure = false;
};

// The number a value of the Connections key asks for: decimal digits from 1
// up, MAX_CONNECTIONS for anything above it; an empty value (the key
// missing), 0, or anything that is not plain digits gives
// DEFAULT_CONNECTIONS. 1 sends one station after the other.
int ConnectionsSetting(const std::string& value);

// Whether a value of the Secure key turns HTTPS on. An empty value (the key
// missing), "0", "no", "false" and "off" in any letter case leave plain
// HTTP; every other value turns HTTPS on, so a mistyped value errs on the
// side of keeping the credentials out of clear text.
bool SecureSettingOn(const std::string& value);
