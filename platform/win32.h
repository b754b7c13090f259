// The Win32 headers as the platform layer's own sources include them.
// The layer keeps the familiar framework names (SetWindowText, LoadString,
// FindExecutable ...) for its own operations; the Win32 headers define those
// names as macros for their A/W functions, so they are undefined here and the
// layer always calls the W functions by their full names.
#pragma once

#include <windows.h>
#include <shellapi.h>

#undef FindExecutable
#undef GetDlgItemText
#undef GetWindowText
#undef LoadIcon
#undef LoadString
#undef SetDlgItemText
#undef SetWindowText
