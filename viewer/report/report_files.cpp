#include "viewer/report/report_files.h"

#include <cstdio>

#include "common/local_files.h"
#include "viewer/report/template_merger.h"

namespace {

const char PATH_SEPARATOR = '\\';
// Longest TEMP value whose path with either file name stays within the
// 255 bytes a report path may take.
const size_t TEMP_VALUE_MAX = 245;

const char* const CSV_IN_USE = "すでにファイルがオープンしてます。ファイルを閉じてください。";
const char* const WRITE_FAILURE_START = "ファイル[";
const char* const WRITE_FAILURE_END = "]に書き込めません。";
const char* const TEMP_TOO_LONG = "環境変数TEMPのフォルダ名が長すぎるため、帳票を作成できません。";
const char* const TEMP_UNUSABLE_START = "環境変数TEMPのフォルダ[";
const char* const TEMP_UNUSABLE_END = "]を扱えないため、帳票を作成できません。";

// Writes all of `text` as a text file and closes the file; false when the
// file could not be written completely.
bool WriteText(std::FILE* file, const std::string& text) {
  bool written = WriteLocalText(file, text);
  written = std::fflush(file) == 0 && written;
  return std::fclose(file) == 0 && written;
}

}  // namespace

bool WriteTempReport(const char* fileName, const std::string& text, bool csv, std::string& path,
                     std::string& error) {
  // Without TEMP the file goes to the root of the current drive.
  LocalTempFolder folder = FindLocalTempFolder(TEMP_VALUE_MAX);
  if (folder.set && folder.path.empty()) {
    error = folder.shown.size() > TEMP_VALUE_MAX ? std::string(TEMP_TOO_LONG)
                                                 : TEMP_UNUSABLE_START + folder.shown + TEMP_UNUSABLE_END;
    return false;
  }
  std::string written = folder.path + PATH_SEPARATOR + fileName;
  std::FILE* file = OpenLocalFile(written.c_str(), "wb");
  if (!file) {
    error = csv ? std::string(CSV_IN_USE) : OpenFailureMessage(written.c_str());
    return false;
  }
  if (!WriteText(file, text)) {
    error = WRITE_FAILURE_START + written + WRITE_FAILURE_END;
    return false;
  }
  path = written;
  return true;
}
