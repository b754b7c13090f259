// Pictures of what is on the screen, taken with GDI the way a user's
// screenshot key takes them, and stored as 24-bit .bmp files. Windows only.
#pragma once

#include <string>

#include "tests/support/gui_driver_win.h"

namespace review {

// A rectangle of the screen in screen pixels; right and bottom are exclusive.
struct ScreenArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The outer rectangle of `window`, frame and caption included; an empty
// area when the window does not exist.
ScreenArea AreaOf(test_support::WindowHandle window);

// The smallest area that holds both `a` and `b` (an empty one counts as none).
ScreenArea Union(const ScreenArea& a, const ScreenArea& b);

// Copies `area` (clipped to the screen) from the screen and writes it to
// `bmpPath` (a Windows or absolute Linux path). Returns false when the area
// is empty or the picture could not be taken or written.
bool SaveScreenArea(const ScreenArea& area, const std::string& bmpPath);

}  // namespace review
