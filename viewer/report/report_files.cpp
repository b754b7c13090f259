#include "viewer/report/report_files.h"

#include <cstdio>
#include <cstring>

#include "common/local_files.h"
#include "viewer/report/template_merger.h"

namespace {

const char PATH_SEPARATOR = '\\';
// Longest TEMP value whose path with either file name fits REPORT_PATH_SIZE.
const size_t TEMP_VALUE_MAX = 245;

const char* const CSV_IN_USE = "すでにファイルがオープンしてます。ファイルを閉じてください。";
const char* const WRITE_FAILURE = "ファイル[%s]に書き込めません。";
const char* const TEMP_TOO_LONG = "環境変数TEMPのフォルダ名が長すぎるため、帳票を作成できません。";
const char* const TEMP_UNUSABLE = "環境変数TEMPのフォルダ[%s]を扱えないため、帳票を作成できません。";

// Writes all of `text` in text mode; false when the file could not be
// written completely.
bool WriteText(std::FILE* file, const GrowingText& text) {
  bool written = std::fwrite(text.Data(), 1, text.Length(), file) == text.Length();
  written = std::fflush(file) == 0 && written;
  return std::fclose(file) == 0 && written;
}

}  // namespace

ReportPath WriteTempReport(const char* fileName, const GrowingText& text, bool csv, char* lastError, size_t errorSize) {
  // Without TEMP the file goes to the root of the current drive.
  LocalTempFolder folder = FindLocalTempFolder(TEMP_VALUE_MAX);
  if (folder.set && folder.path.empty()) {
    if (folder.shown.size() > TEMP_VALUE_MAX) {
      std::snprintf(lastError, errorSize, "%s", TEMP_TOO_LONG);
    } else {
      std::snprintf(lastError, errorSize, TEMP_UNUSABLE, folder.shown.c_str());
    }
    return nullptr;
  }
  ReportPath path(new char[REPORT_PATH_SIZE]());
  std::snprintf(path.get(), REPORT_PATH_SIZE, "%s%c%s", folder.path.c_str(), PATH_SEPARATOR, fileName);
  std::FILE* file = OpenLocalFile(path.get(), "w");
  if (!file) {
    if (csv) {
      std::snprintf(lastError, errorSize, "%s", CSV_IN_USE);
    } else {
      FormatOpenFailure(lastError, errorSize, path.get());
    }
    return nullptr;
  }
  if (!WriteText(file, text)) {
    std::snprintf(lastError, errorSize, WRITE_FAILURE, path.get());
    return nullptr;
  }
  return path;
}
