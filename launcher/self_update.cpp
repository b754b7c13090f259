#include "launcher/self_update.h"

#include <cstdio>
#include <string>

#include "common/settings_file.h"
#include "launcher/launcher_texts.h"
#include "launcher/version_list.h"
#include "platform/exception_guard.h"
#include "platform/files.h"
#include "platform/module_path.h"
#include "platform/wait_cursor.h"

namespace {

constexpr char UPDATE_QUESTION[] = "バージョンが新しくなっています。更新しますか";
constexpr char UPDATE_FAILED[] = "バージョンアップに失敗しました。";
constexpr char UPDATE_DONE[] = "バージョンアップに成功しました。";
constexpr char UPDATE_PROGRAM_PATH[] = "c:\\marlopup.exe";
constexpr char UPDATE_PROGRAM_OBJECT[] = "/pg/qorvanet/marlopup.exe";
constexpr size_t LIST_READ_BLOCK_SIZE = 4096;

// DownloadFile with the internet layer's errors counted as a failed download.
bool TryDownload(SettingsFile& settings, const std::string& localPath, const std::string& address) {
  bool downloaded = false;
  bool completed =
      platform::RunGuarded([&] { downloaded = settings.DownloadFile(localPath.c_str(), address.c_str()); });
  return completed && downloaded;
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
bool FetchListedFiles(SettingsFile& settings, const VersionList& list) {
  platform::CWaitCursor wait;
  for (const std::string& address : list.addresses) {
    std::string name = DownloadFileName(address);
    std::string localPath = platform::FileBeside(name.c_str());
    if (name.empty() || localPath.empty()) return false;
    if (!TryDownload(settings, localPath, address)) return false;
  }
  return true;
}

}  // namespace

void CheckForUpdate(platform::WindowHandle owner) {
  SettingsFile settings(SettingsProgram::Launcher);
  if (!settings.Read()) platform::ShowMessage(owner, SETTINGS_UNREADABLE, LAUNCHER_CAPTION);
  if (settings.dlIniFile.empty()) return;
  std::string listPath = platform::FileBeside(settings.dlIniFile.c_str());
  if (listPath.empty()) return;
  if (!settings.dlSrvPath.empty()) {
    platform::CWaitCursor wait;
    TryDownload(settings, listPath, settings.dlSrvPath + settings.dlIniFile);
  }

  std::string listText;
  if (!ReadWholeFile(listPath, listText)) return;
  VersionList list = ParseVersionList(listText);
  if (list.version <= VersionNumber(settings.systemVer)) return;
  if (platform::ShowMessage(owner, UPDATE_QUESTION, LAUNCHER_CAPTION,
                            platform::MessageKind::YesNoQuestion) != platform::ANSWER_YES) {
    return;
  }

  if (!FetchListedFiles(settings, list)) {
    platform::ShowMessage(owner, UPDATE_FAILED, LAUNCHER_CAPTION);
    return;
  }
  settings.systemVer = std::to_string(list.version);
  bool recorded = settings.WriteVersion();
  platform::ShowMessage(owner, recorded ? UPDATE_DONE : UPDATE_FAILED, LAUNCHER_CAPTION);
}

bool DownloadUpdateProgram() {
  SettingsFile settings(SettingsProgram::Launcher);
  platform::CWaitCursor wait;
  std::string address = std::string("http://") + TARVEX_MAKER_HOST + UPDATE_PROGRAM_OBJECT;
  return TryDownload(settings, UPDATE_PROGRAM_PATH, address);
}
