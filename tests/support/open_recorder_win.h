// The shell observer of the GUI tests. open_recorder.exe is registered in
// the test's Wine prefix as the program that "opens" .html, .htm, .csv and
// .txt files and http: addresses, so what the programs under test hand to
// the shell (ShellOpen, FindExecutable) lands in a log instead of starting a
// browser or a spreadsheet.
//
//   ASSERT_TRUE(RegisterOpenRecorder());
//   std::string log = folder + "/opened.log";
//   UseOpenRecorderLog(log);                     // before starting the program
//   ... start the program, click 解説 ...
//   auto opened = WaitForOpenRecords(log, 1);
//   EXPECT_EQ(opened[0].arguments, "\"Z:\\...\\norda.html\"");
//
// Programs started by the test inherit its environment, and so the log.
#pragma once

#include <string>
#include <vector>

namespace test_support {

// One start of the recorder.
// Texts are code page 932, "?" for characters it lacks; wideArguments
// holds the arguments whole.
struct OpenRecord {
  std::string commandLine;     // as the recorder received it
  std::string arguments;       // the command line after the program's own name
  std::string folder;          // the recorder's current folder
  std::wstring wideArguments;  // the arguments as received (UTF-16)
};

// `path` (quoted or not, as a record holds it) in its long form and lower
// case, to compare what the shell was handed, a short form or the long one,
// with the file meant.
std::wstring ComparablePath(std::wstring path);

// Full Windows path of open_recorder.exe in this build.
std::string OpenRecorderPath();

// Makes open_recorder.exe the "open" program of .html, .htm, .csv and .txt
// files and of http: addresses in the prefix's classes (HKEY_CLASSES_ROOT:
// the shell of this Wine does not look at the user's own classes). Returns
// false when the registry refused a value.
bool RegisterOpenRecorder();

// Takes the "open" program away from the document type `type` (".csv") in
// the prefix's classes, so the shell finds none for it and opens nothing;
// the next RegisterOpenRecorder gives it back. False when the registry
// refused.
bool ForgetDocumentType(const wchar_t* type);

// Sets the log that recorders started from now on append to (a Windows or
// absolute Linux path); removes a log left from an earlier run.
void UseOpenRecorderLog(const std::string& logPath);

// The records of the log, oldest first; empty when there is no log.
std::vector<OpenRecord> ReadOpenRecords(const std::string& logPath);

// Waits until the log holds at least `count` records and returns them
// (fewer when the time ran out).
std::vector<OpenRecord> WaitForOpenRecords(const std::string& logPath, size_t count, int timeoutMs = 10000);

}  // namespace test_support
