#include "tests/screenshots/review_tour_win.h"

#include <cstdio>

#include "platform/win32.h"
#include "tests/screenshots/screen_capture_win.h"

namespace review {

namespace {

// Wine hands a painted window to the X server a little later; the picture
// waits this long after the program has painted.
constexpr DWORD PAINT_SETTLE_MS = 800;

// Has `window` paint itself and its frame completely before returning. On a
// display without a window manager Wine may otherwise keep a caption painted
// before an activation, or an area a closed dialog uncovered, for a while.
void Repaint(test_support::WindowHandle window) {
  if (window == nullptr) return;
  RedrawWindow(static_cast<HWND>(window), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace

bool Fail(const std::string& what) {
  std::fprintf(stderr, "review_screenshots: %s\n", what.c_str());
  return false;
}

bool Shoot(const ReviewFolders& folders, const std::string& name, test_support::WindowHandle window,
           test_support::WindowHandle front) {
  SetForegroundWindow(static_cast<HWND>(front != nullptr ? front : window));
  Repaint(window);
  Repaint(front);
  Sleep(PAINT_SETTLE_MS);
  const ScreenArea area = Union(AreaOf(window), AreaOf(front));
  const std::string file = name + ".bmp";
  if (!SaveScreenArea(area, folders.pictures + "/" + file)) return Fail("could not capture " + file);
  std::printf("review_screenshots: %s\n", file.c_str());
  std::fflush(stdout);
  return true;
}

}  // namespace review
