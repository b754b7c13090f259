#include "common/download_file.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <utility>

#include "platform/app.h"
#include "platform/files.h"
#include "platform/internet.h"

namespace {

constexpr size_t DOWNLOAD_BLOCK_SIZE = 1024;
constexpr char PARTIAL_SUFFIX[] = ".download";
constexpr char HTTPS_SCHEME[] = "https://";

// The file being written; removed on every path that does not complete it,
// also when an exception of the internet layer passes through.
class PartialFile {
 public:
  explicit PartialFile(std::string path)
      : path(std::move(path)), file(platform::OpenFile(this->path.c_str(), L"wb")) {}
  ~PartialFile() {
    if (file != nullptr) std::fclose(file);
    if (!kept) platform::RemoveFile(path.c_str());
  }
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;

  bool IsOpen() const { return file != nullptr; }

  bool Write(const char* bytes, size_t count) {
    return std::fwrite(bytes, 1, count, file) == count;
  }

  // Closes the file and moves it over `target`; false when either failed.
  bool MoveOver(const std::string& target) {
    bool closed = std::fclose(file) == 0;
    file = nullptr;
    kept = closed && platform::MoveFileOver(path.c_str(), target.c_str());
    return kept;
  }

 private:
  std::string path;
  std::FILE* file;
  bool kept = false;
};

// Every download asks the server afresh and leaves nothing in the local
// cache: a cached version list would hide an update, and a cached old copy
// of a listed file would be installed as the new one. Files travel as bytes
// as they are (an FTP server would otherwise rewrite their line ends).
constexpr unsigned long DOWNLOAD_FLAGS =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_BINARY;
// A secure installation follows no redirect: the internet layer would follow
// one from an https address to a plain one and fetch the file in clear.
constexpr unsigned long SECURE_DOWNLOAD_FLAGS = DOWNLOAD_FLAGS | INTERNET_FLAG_NO_AUTO_REDIRECT;

// Copies the whole body of `remote` into `local`. A read may return fewer
// bytes than asked before the end; only a read that returns nothing ends it.
// A connection that closes early also ends the reads quietly, so the body
// counts as whole only when it is as long as the server announced (HTTP
// announces a length; other kinds of address announce none).
bool CopyBody(platform::CInternetFile& remote, PartialFile& local) {
  auto* http = dynamic_cast<platform::CHttpFile*>(&remote);
  long long announced = http != nullptr ? http->QueryInfoContentLength() : -1;
  long long received = 0;
  char block[DOWNLOAD_BLOCK_SIZE];
  for (;;) {
    size_t arrived = remote.Read(block, sizeof block);
    if (arrived == 0) break;
    if (!local.Write(block, arrived)) return false;
    received += static_cast<long long>(arrived);
  }
  return announced < 0 || received == announced;
}

// True when `remote` is an HTTP reply with a status other than 200; other
// kinds of address have no status and deliver or fail by themselves.
bool RefusedByServer(platform::CInternetFile& remote) {
  auto* http = dynamic_cast<platform::CHttpFile*>(&remote);
  return http != nullptr && http->QueryInfoStatusCode() != HTTP_STATUS_OK;
}

}  // namespace

// The scheme in any letter case: the C locale's, in which no byte of a
// double-byte character is a letter.
bool MayDownload(const std::string& url, bool secure) {
  return !secure || _strnicmp(url.c_str(), HTTPS_SCHEME, std::size(HTTPS_SCHEME) - 1) == 0;
}

bool DownloadFile(const char* localPath, const char* url, bool secure) {
  if (!MayDownload(url, secure)) return false;
  // The application's name is the session's user agent.
  platform::CInternetSession session(platform::AfxGetAppName(), 1);
  std::unique_ptr<platform::CInternetFile> remote =
      session.OpenURL(url, secure ? SECURE_DOWNLOAD_FLAGS : DOWNLOAD_FLAGS);
  if (!remote || RefusedByServer(*remote)) return false;
  PartialFile local(std::string(localPath) + PARTIAL_SUFFIX);
  if (!local.IsOpen()) return false;
  return CopyBody(*remote, local) && local.MoveOver(localPath);
}
