// A scratch installation of the viewer and one run of the real tarvex.exe in
// it, driven through the GUI driver: the program, the master files of the
// sample data (or the test's own), the page template, the settings and
// credentials files, a TEMP folder of its own and the shell's "open"
// recorded instead of carried out. Windows only.
#pragma once

#include <string>
#include <vector>

#include "tests/support/gui_driver_win.h"
#include "tests/support/open_recorder_win.h"
#include "tests/support/test_addresses.h"
#include "tests/viewer/form/viewer_form_win.h"

// The loopback address of the tests that need no server: nothing listens
// there, so a sign-in that gets that far fails at once.
constexpr const char* DEAD_SERVER = TEST_ADDRESS_VIEWER_DEAD_SERVER;

// A message box as the program showed it.
struct ShownMessage {
  std::string caption;
  std::string text;
};

// What one press of 表示 gave: the page the program wrote and asked the
// shell to open, or the message box it showed instead (closed with OK).
struct DisplayedReport {
  bool opened = false;
  std::string page;     // temp.html, when opened
  std::string message;  // the box's text, when one came instead
};

class ViewerSession {
 public:
  // Lays out the folder "viewer-<name>": tarvex.exe, the sample master
  // files, output.html, qorvanet.ini naming `serverIp`, and user_inf.txt with
  // the demo account.
  ViewerSession(const std::string& name, const std::string& serverIp);
  ~ViewerSession();

  // Replaces the master files with those of another install folder (a
  // Linux or Windows path), such as one laid out from another database.
  void UseMasterFiles(const std::string& installFolder) const;

  // Replaces or removes a file of the install folder (bytes as given).
  void WriteFile(const std::string& fileName, const std::string& bytes) const;
  void RemoveFile(const std::string& fileName) const;
  // Writes user_inf.txt as the launcher does (password scrambled, CR LF).
  void WriteCredentials(const std::string& userId, const std::string& password) const;

  // Starts the program in the working folder `workingFolder` (the install
  // folder when empty) and waits for its form; false when it did not show.
  bool Start(const std::string& workingFolder = "");

  // Waits for the next message box, reads it and presses OK. An empty text
  // and caption when none came within `timeoutMs`.
  ShownMessage NextMessage(int timeoutMs = test_support::DEFAULT_WAIT_MS);

  // True when no message box opens within `timeoutMs`.
  bool NoMessageWithin(int timeoutMs);

  // Presses 表示 and waits at most `timeoutMs` for the report to be opened
  // or a message box to come; neither within that time gives an empty result.
  DisplayedReport Display(int timeoutMs);

  // What the program asked the shell to open so far.
  std::vector<test_support::OpenRecord> Opened() const;

  // A file of the program's TEMP folder, read whole; "" when missing.
  std::string TempFile(const std::string& fileName) const;

  std::string folder;      // the install folder (Windows path)
  std::string tempFolder;  // the program's TEMP
  test_support::GuiProgram program;
  test_support::WindowHandle form = nullptr;

 private:
  std::string openLog;
};
