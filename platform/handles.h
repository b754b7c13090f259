// The system's handles as the code above the platform layer holds them:
// opaque, so that it needs no <windows.h>.
#pragma once

namespace platform {

using WindowHandle = void*;  // an HWND
using IconHandle = void*;    // an HICON

}  // namespace platform
