// The launcher's program object: runs the main menu modally and ends with it.
#pragma once

#include "platform/app.h"

class LauncherApp : public platform::CWinApp {
 public:
  // The framework's own boxes carry the launcher's caption; the program
  // keeps no name of its own (its name stays the executable's).
  LauncherApp();

  // Tells the user when the files of its folder cannot be used, then shows
  // the main menu; returns false, so the program ends when it closes.
  bool InitInstance() override;
};
