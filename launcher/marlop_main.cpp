// Entry point of the launcher marlop.exe.
#include "launcher/launcher_app.h"

LauncherApp theApp;

int main() { return platform::RunApplication(); }
