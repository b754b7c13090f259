#include "common/install_folder.h"

#include "common/credentials_file.h"
#include "common/settings.h"
#include "platform/module_path.h"

namespace {

constexpr char FOLDER_UNUSABLE_START[] = "プログラムのフォルダ[";
constexpr char FOLDER_UNUSABLE_END[] =
    "]を扱えないため、その中のファイルを読み書きできません。名前の短いフォルダにインストールしてください。";

}  // namespace

bool InstallFolderUsable() { return !Settings::Path().empty() && !CredentialsFile::Path().empty(); }

std::string InstallFolderUnusableMessage() {
  return FOLDER_UNUSABLE_START + platform::ShownModuleFolder() + FOLDER_UNUSABLE_END;
}
