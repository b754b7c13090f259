// The report's files in the TEMP folder: %TEMP%\temp.html and %TEMP%\temp.csv.
#pragma once

#include <cstddef>
#include <memory>

#include "viewer/report/growing_text.h"

// A written report's path: a zero-filled block of REPORT_PATH_SIZE bytes;
// null when no report was written.
constexpr int REPORT_PATH_SIZE = 256;
using ReportPath = std::unique_ptr<char[]>;

constexpr const char* HTML_FILE_NAME = "temp.html";
constexpr const char* CSV_FILE_NAME = "temp.csv";

// Writes `text` in text mode to `fileName` in the TEMP folder, replacing the
// earlier file; returns its path, or null with the reason in `lastError`
// (`errorSize` bytes): "すでにファイルがオープンしてます。..." for a CSV file
// that cannot be opened, the file that could not be opened or written, or a
// TEMP folder too long for a path or that cannot be named.
ReportPath WriteTempReport(const char* fileName, const GrowingText& text, bool csv, char* lastError, size_t errorSize);
