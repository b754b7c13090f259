// review_screenshots.exe INSTALL_FOLDER PICTURE_FOLDER REPORT_FOLDER
//
// Tours both programs of an install folder for a reviewer of the look and
// leaves one .bmp per screen in PICTURE_FOLDER and the viewer's HTML report
// in REPORT_FOLDER. The reference server must answer on the address of the
// install's settings and the viewer's data server. Ends with 0 when every
// screen was reached and captured.
#include <cstdio>
#include <cstdlib>

#include "tests/screenshots/review_tour_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/open_recorder_win.h"

namespace {

constexpr char OPEN_LOG_NAME[] = "/opened.log";

// The programs started from here inherit this environment: reports go to
// the report folder, and the shell "opens" them with the recorder instead of
// a browser.
bool PrepareEnvironment(const review::ReviewFolders& folders) {
  if (_putenv_s("TEMP", test_support::WindowsPath(folders.reports).c_str()) != 0) return false;
  if (!test_support::RegisterOpenRecorder()) return false;
  test_support::UseOpenRecorderLog(folders.reports + OPEN_LOG_NAME);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: review_screenshots INSTALL_FOLDER PICTURE_FOLDER REPORT_FOLDER\n");
    return 2;
  }
  review::ReviewFolders folders{argv[1], argv[2], argv[3]};
  if (!PrepareEnvironment(folders)) {
    std::fprintf(stderr, "review_screenshots: could not prepare TEMP and the shell's open program\n");
    return 1;
  }
  if (!review::TourLauncher(folders) || !review::TourViewer(folders)) return 1;
  std::printf("review_screenshots: every screen captured\n");
  return 0;
}
