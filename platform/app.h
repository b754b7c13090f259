// The program object and the program's start, and resources of the running
// executable.
#pragma once

#include <string>

#include "platform/controls.h"
#include "platform/handles.h"

namespace platform {

// The application object. Each program defines exactly one global instance
// of a class derived from CWinApp and starts it from its entry point:
//
//   int main() { return platform::RunApplication(); }
//
// (built as a GUI program: add_executable(... WIN32 ...)).
class CWinApp {
 public:
  // Registers the object as the program's one application object.
  // `title` (code page 932) is the caption of the boxes the framework
  // itself shows for the program; nullptr: the program's name.
  explicit CWinApp(const char* title = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The program's work. The programs run their modal dialog here and return
  // false; the framework keeps no message loop of its own, so the program
  // ends when InitInstance returns, whatever it answers.
  virtual bool InitInstance() = 0;

  // The program's main window while it runs (dialogs without a parent are
  // owned by it); nullptr otherwise.
  CWnd* m_pMainWnd = nullptr;

  // The title given at construction, or nullptr.
  const char* Title() const { return title; }

 private:
  const char* title;
};

// Runs InitInstance of the program's application object; returns the exit
// code (0, or 1 when the program has no application object).
int RunApplication();

// The application object, or nullptr.
CWinApp* AfxGetApp();

// The program's name: the executable's file name without its extension
// ("marlop"), code page 932. Caption of the program's plain message boxes.
const char* AfxGetAppName();

// The program's title: the application object's title, else the program's
// name. Caption of the framework's own boxes (a command that failed with an
// exception).
const char* AfxGetAppTitle();

// Resources of the running executable; a missing resource gives "" or
// nullptr. Icons live as long as the program.
std::string LoadString(int id);
IconHandle LoadIcon(int id);

}  // namespace platform
