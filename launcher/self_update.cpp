#include "launcher/self_update.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/download_file.h"
#include "common/server_link.h"
#include "common/settings.h"
#include "launcher/launcher_texts.h"
#include "launcher/version_list.h"
#include "platform/files.h"
#include "platform/module_path.h"
#include "platform/wait_cursor.h"

namespace {

constexpr char UPDATE_QUESTION[] = "バージョンが新しくなっています。更新しますか";
constexpr char UPDATE_FAILED[] = "バージョンアップに失敗しました。";
constexpr char UPDATE_DONE[] = "バージョンアップに成功しました。";
constexpr char UPDATE_NOT_SECURE[] =
    "更新ファイルの取得先が https ではない（通信が暗号化されない）ため、バージョンアップを中止しました。";
constexpr char UPDATE_PROGRAM_PATH[] = "c:\\marlopup.exe";
constexpr char UPDATE_PROGRAM_OBJECT[] = "/pg/qorvanet/marlopup.exe";
constexpr size_t LIST_READ_BLOCK_SIZE = 4096;

// DownloadFile with the internet layer's errors caught: Done when the file
// arrived whole.
ExchangeResult TryDownload(const std::string& localPath, const std::string& address, bool secure) {
  return GuardExchange([&] { return DownloadFile(localPath.c_str(), address.c_str(), secure); });
}

// Fetches the version list from DLSrvPath + DLIniFile to `listPath`. A
// failed fetch keeps the copy already there, without a message, except when
// the list could come only in clear or from a server whose certificate did
// not check out: then the user is told and false ends the check.
bool FetchVersionList(platform::WindowHandle owner, const Settings& settings, const std::string& listPath) {
  if (settings.dlSrvPath.empty()) return true;
  std::string address = settings.dlSrvPath + settings.dlIniFile;
  if (!MayDownload(address, settings.secure)) {
    platform::ShowMessage(owner, UPDATE_NOT_SECURE, LAUNCHER_CAPTION);
    return false;
  }
  platform::CWaitCursor wait;
  ExchangeResult fetched = TryDownload(listPath, address, settings.secure);
  wait.Restore();
  if (fetched != ExchangeResult::Refused) return true;
  platform::ShowMessage(owner, UPDATE_FAILED, LAUNCHER_CAPTION);
  return false;
}

// The whole file at `path`; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::FILE* file = platform::OpenFile(path.c_str(), L"rb");
  if (file == nullptr) return false;
  char block[LIST_READ_BLOCK_SIZE];
  size_t count;
  while ((count = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, count);
  std::fclose(file);
  return true;
}

// Fetches every listed file into the launcher's folder in the order of the
// list; stops at the first that fails.
bool FetchListedFiles(const VersionList& list, bool secure) {
  platform::CWaitCursor wait;
  for (const std::string& address : list.addresses) {
    std::string name = DownloadFileName(address);
    std::string localPath = platform::FileBeside(name.c_str());
    if (name.empty() || localPath.empty()) return false;
    if (TryDownload(localPath, address, secure) != ExchangeResult::Done) return false;
  }
  return true;
}

}  // namespace

void CheckForUpdate(platform::WindowHandle owner) {
  Settings settings;
  if (!settings.Read(SettingsProgram::Launcher)) platform::ShowMessage(owner, SETTINGS_UNREADABLE, LAUNCHER_CAPTION);
  if (settings.dlIniFile.empty()) return;
  std::string listPath = platform::FileBeside(settings.dlIniFile.c_str());
  if (listPath.empty()) return;
  if (!FetchVersionList(owner, settings, listPath)) return;

  std::string listText;
  if (!ReadWholeFile(listPath, listText)) return;
  VersionList list = ParseVersionList(listText);
  if (list.version <= VersionNumber(settings.systemVer)) return;
  // Told before the question, so nothing of an update that could not
  // complete is fetched.
  auto mayDownload = [&settings](const std::string& address) { return MayDownload(address, settings.secure); };
  if (!std::all_of(list.addresses.begin(), list.addresses.end(), mayDownload)) {
    platform::ShowMessage(owner, UPDATE_NOT_SECURE, LAUNCHER_CAPTION);
    return;
  }
  if (platform::ShowMessage(owner, UPDATE_QUESTION, LAUNCHER_CAPTION,
                            platform::MessageKind::YesNoQuestion) != platform::ANSWER_YES) {
    return;
  }

  if (!FetchListedFiles(list, settings.secure)) {
    platform::ShowMessage(owner, UPDATE_FAILED, LAUNCHER_CAPTION);
    return;
  }
  settings.systemVer = std::to_string(list.version);
  bool recorded = settings.WriteVersion();
  platform::ShowMessage(owner, recorded ? UPDATE_DONE : UPDATE_FAILED, LAUNCHER_CAPTION);
}

bool DownloadUpdateProgram() {
  // Only Secure matters here; without a settings file it is off, as ever.
  Settings settings;
  settings.Read(SettingsProgram::Launcher);
  platform::CWaitCursor wait;
  std::string scheme = settings.secure ? "https://" : "http://";
  std::string address = scheme + TARVEX_MAKER_HOST + UPDATE_PROGRAM_OBJECT;
  return TryDownload(UPDATE_PROGRAM_PATH, address, settings.secure) == ExchangeResult::Done;
}
