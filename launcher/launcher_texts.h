// Texts the launcher shows in more than one place.
#pragma once

// Caption of every message box of the launcher.
constexpr char LAUNCHER_CAPTION[] = "Marlop";
