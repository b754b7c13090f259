#include "tests/launcher/launcher_install_win.h"

#include "tests/support/test_files.h"

namespace launcher_test {

namespace {

constexpr char MARLOP_IN_BUILD[] = "/launcher/marlop.exe";
constexpr char PAGE_TEMPLATE[] = "<html><body>@data</body></html>\r\n";

std::string BuiltMarlop() {
  return test_support::BuildPath(MARLOP_IN_BUILD);
}

}  // namespace

LauncherInstall::LauncherInstall(const std::string& name, const std::string& settings)
    : folder(test_support::MakeScratchFolder(name)) {
  Write("marlop.exe", test_support::ReadBytes(BuiltMarlop()));
  Write("qorvanet.ini", settings);
  Write("output.html", PAGE_TEMPLATE);
}

bool LauncherInstall::Write(const std::string& name, const std::string& bytes) const {
  return test_support::WriteBytes(PathOf(name), bytes);
}

std::string LauncherInstall::Read(const std::string& name) const { return test_support::ReadBytes(PathOf(name)); }

bool LauncherInstall::Start(test_support::GuiProgram& program) const {
  return program.Start(PathOf("marlop.exe"), folder);
}

test_support::WindowHandle WaitForMessage(const test_support::GuiProgram& program, const std::string& text,
                                          int timeoutMs) {
  constexpr int POLL_MS = 100;
  test_support::WindowHandle box = nullptr;
  bool shown = test_support::WaitUntil(
      [&] {
        box = program.WaitForModalBox(POLL_MS);
        return box != nullptr && test_support::MessageBoxText(box) == text;
      },
      timeoutMs);
  return shown ? box : nullptr;
}

}  // namespace launcher_test
