// SettingsFile: the settings file "qorvanet.ini" and the credentials file
// "user_inf.txt", both found beside the running executable. Nothing is
// cached: callers construct one per command and read afresh.
#pragma once

#include <string>

// Which program reads: the viewer needs ServerIP, DataServer, ConfirmRows and
// Secure, the launcher the other keys and Secure.
enum class SettingsProgram { Viewer, Launcher };

// A value read from the settings file holds at most this many bytes.
constexpr size_t SETTINGS_VALUE_MAX = 259;

// What both programs tell the user when Read returns false; the command goes
// on with empty settings.
constexpr char SETTINGS_UNREADABLE[] = "設定ファイルが読み込めませんでした";

class SettingsFile {
 public:
  explicit SettingsFile(SettingsProgram program);

  // Reads the program's keys (launcher order: SystemVer, ServerIP, DLIniFile,
  // DLSrvPath, UserURL, Secure; viewer: ServerIP, DataServer, ConfirmRows,
  // Secure), missing
  // ones as empty texts. Returns false when the settings file does not exist,
  // true otherwise.
  bool Read();

  // Replaces the whole Version section by the single line "SystemVer=" +
  // systemVer; the system section is untouched. Returns false on failure.
  bool WriteVersion();

  // Reads the user ID and the password (unscrambled) from the credentials
  // file. A missing file leaves both texts as they are; a missing second line
  // leaves the password as it is.
  void ReadCredentials(std::string& userId, std::string& password);

  // Creates the credentials file anew: user ID, line feed, scrambled
  // password, line feed, stored with CR LF. Returns false when the file could
  // not be written or a value is too long to be read back whole.
  bool WriteCredentials(const std::string& userId, const std::string& password);

  // Fetches `url` (any absolute address the internet layer opens: http,
  // https, ftp) into `localPath` (launcher self-update), always from the
  // server, never from or into the local cache; an https server's
  // certificate is checked. True when the whole body replaced the file at
  // localPath; false on an address MayDownload refuses (nothing is sent), an
  // HTTP status other than 200 (with `secure`, a redirect too), a body
  // shorter than the server announced or a file that cannot be written,
  // leaving the old file as it was. Errors of the internet layer (a host
  // that cannot be resolved or reached, a certificate that does not check
  // out) leave as exceptions.
  bool DownloadFile(const char* localPath, const char* url);

  // False when `url` must not be fetched: with `secure`, every address that
  // is not https.
  bool MayDownload(const std::string& url) const;

  // Full paths of the two files, beside the running executable.
  static std::string SettingsPath();
  static std::string CredentialsPath();

  // True when the files beside the running executable can be named; false
  // when its folder cannot (FolderUnusableMessage tells the user).
  static bool FolderUsable();
  // The message that tells the user the files of the executable's folder
  // cannot be used, naming the folder.
  static std::string FolderUnusableMessage();

  // The credentials file's password scramble: every byte lowered (Scramble)
  // or raised (Unscramble) by 16, modulo 256.
  static std::string ScramblePassword(const std::string& password);
  static std::string UnscramblePassword(const std::string& scrambled);

  std::string serverIp;
  // The viewer's data server (host of the observation tables); empty: the
  // one built into the viewer.
  std::string dataServer;
  // The viewer's ConfirmRows as written: above how many rows a query is
  // confirmed before it runs (the viewer reads the number).
  std::string confirmRows;
  std::string dlIniFile;
  std::string dlSrvPath;
  std::string userUrl;
  std::string systemVer;
  // Secure: both programs talk HTTPS (port 443) to the servers and fetch
  // updates over https only; false (the key missing): plain HTTP, port 80.
  bool secure = false;

 private:
  SettingsProgram program;
};
