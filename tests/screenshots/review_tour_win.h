// The review tour: each step drives one program of an install folder to the
// screens a reviewer looks at and captures them as .bmp files. A step that
// does not reach the screen it expects says why on stderr and returns false.
// Windows only.
#pragma once

#include <string>

#include "tests/support/gui_driver_win.h"

namespace review {

// Where the tour runs and what it leaves.
struct ReviewFolders {
  std::string install;   // the programs, settings and master files
  std::string pictures;  // the .bmp files
  std::string reports;   // TEMP of the programs: the report lands here
};

// The launcher: its user settings dialog, where the demo account is stored
// for the viewer's sign-in, then its menu.
bool TourLauncher(const ReviewFolders& folders);

// The viewer: the message for a display command with no station chosen, the
// form under each period type with two stations chosen, then a daily HTML
// report written to the reports folder.
bool TourViewer(const ReviewFolders& folders);

// Shared by the tours. Fail writes "review_screenshots: <what>" to stderr and
// returns false.
bool Fail(const std::string& what);

// Saves the area of `window`, joined with that of `front` when given, as
// <pictures>/<name>.bmp. `front` (else `window`) is made the active window
// first, as the user's last click leaves it, and the program is given time to
// finish painting. False (with the reason on stderr) on failure.
bool Shoot(const ReviewFolders& folders, const std::string& name, test_support::WindowHandle window,
           test_support::WindowHandle front = nullptr);

}  // namespace review
