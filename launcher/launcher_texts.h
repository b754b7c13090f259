// Texts the launcher shows in more than one place.
#pragma once

// Caption of every message box of the launcher.
constexpr char LAUNCHER_CAPTION[] = "Marlop";

// Shown when the settings file cannot be read; the command goes on with empty settings.
constexpr char SETTINGS_UNREADABLE[] = "設定ファイルが読み込めませんでした";
