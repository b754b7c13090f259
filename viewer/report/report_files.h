// The report's files in the TEMP folder: %TEMP%\temp.html and %TEMP%\temp.csv.
#pragma once

#include <string>

constexpr const char* HTML_FILE_NAME = "temp.html";
constexpr const char* CSV_FILE_NAME = "temp.csv";

// Writes `text` as a text file (CR LF line ends on Windows) to `fileName`
// in the TEMP folder, replacing the earlier file, and sets `path` to the
// file's path. False, with the reason in `error` and `path` as it was:
// "すでにファイルがオープンしてます。..." for a CSV file that cannot be
// opened, the file that could not be opened or written, or a TEMP folder
// too long for a path or that cannot be named.
bool WriteTempReport(const char* fileName, const std::string& text, bool csv, std::string& path,
                     std::string& error);
