#include "tests/viewer/form/viewer_session_win.h"

#include <cstdlib>
#include <filesystem>

#include "common/credentials_file.h"
#include "resources/viewer/resource.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* MASTER_FILES[] = {"M_BLOCK.dat", "M_TOFUKEN.dat", "M_CHITEN.dat", "M_KISYU.dat",
                                        "M_A_YEAR.dat", "Chiten.csv"};

// A folder named by an environment variable that ctest sets (a Linux path).
std::string BuildFolder(const char* variable) {
  return test_support::WindowsPath(test_support::EnvironmentValue(variable));
}

void Copy(const std::string& from, const std::string& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

}  // namespace

ViewerSession::ViewerSession(const std::string& name, const std::string& serverIp)
    : folder(test_support::MakeScratchFolder("viewer-" + name)),
      tempFolder(test_support::MakeScratchFolder("viewer-" + name + "-temp")),
      openLog(tempFolder + "\\opened.log") {
  std::string build = BuildFolder("TARVEX_BUILD_DIR");
  std::string masters = BuildFolder("TARVEX_NATIVE_DIR") + "\\sample\\masters\\";
  Copy(build + "\\viewer\\tarvex.exe", folder + "\\tarvex.exe");
  for (const char* file : MASTER_FILES) Copy(masters + file, folder + "\\" + file);
  Copy(BuildFolder("TARVEX_SOURCE_DIR") + "\\viewer\\report\\output.html", folder + "\\output.html");
  WriteFile("qorvanet.ini", "[system]\r\nServerIP=" + serverIp + "\r\n");
  WriteCredentials("demo", "tarvex");
}

ViewerSession::~ViewerSession() {
  if (program.IsRunning()) {
    program.Terminate();
    program.WaitForExit();
  }
}

void ViewerSession::UseMasterFiles(const std::string& installFolder) const {
  std::string from = test_support::WindowsPath(installFolder) + "\\";
  for (const char* file : MASTER_FILES) Copy(from + file, folder + "\\" + file);
}

void ViewerSession::WriteFile(const std::string& fileName, const std::string& bytes) const {
  test_support::WriteBytes(folder + "\\" + fileName, bytes);
}

void ViewerSession::RemoveFile(const std::string& fileName) const {
  std::error_code ignored;
  fs::remove(folder + "\\" + fileName, ignored);
}

void ViewerSession::WriteCredentials(const std::string& userId, const std::string& password) const {
  WriteFile("user_inf.txt", userId + "\r\n" + CredentialsFile::ScramblePassword(password) + "\r\n");
}

bool ViewerSession::Start(const std::string& workingFolder) {
  if (!test_support::RegisterOpenRecorder()) return false;
  test_support::UseOpenRecorderLog(openLog);
  // The program inherits TEMP; the test's own stays as it was, since the
  // scratch folders of later tests are made under it.
  std::string ownTemp = test_support::EnvironmentValue("TEMP");
  std::string ownTmp = test_support::EnvironmentValue("TMP");
  _putenv_s("TEMP", tempFolder.c_str());
  _putenv_s("TMP", tempFolder.c_str());
  bool started = program.Start(folder + "\\tarvex.exe", workingFolder.empty() ? folder : workingFolder);
  _putenv_s("TEMP", ownTemp.c_str());
  _putenv_s("TMP", ownTmp.c_str());
  if (!started) return false;
  form = program.WaitForWindow("Tarvex");
  return form != nullptr && Settle(form);
}

ShownMessage ViewerSession::NextMessage(int timeoutMs) {
  test_support::WindowHandle box = program.WaitForModalBox(timeoutMs);
  if (box == nullptr) return {};
  ShownMessage shown{test_support::WindowText(box), test_support::MessageBoxText(box)};
  test_support::PressButton(box, test_support::IDOK_BUTTON);
  test_support::WaitForWindowGone(box);
  Settle(form);
  return shown;
}

bool ViewerSession::NoMessageWithin(int timeoutMs) { return program.WaitForModalBox(timeoutMs) == nullptr; }

DisplayedReport ViewerSession::Display(int timeoutMs) {
  size_t opened = Opened().size();
  test_support::PostCommand(form, IDC_DISPLAY);
  DisplayedReport shown;
  if (!test_support::WaitUntil([&] { return Opened().size() > opened || program.WaitForModalBox(0); }, timeoutMs)) {
    return shown;
  }
  shown.opened = Opened().size() > opened;
  if (shown.opened) {
    shown.page = TempFile("temp.html");
  } else {
    shown.message = NextMessage(0).text;
  }
  return shown;
}

std::vector<test_support::OpenRecord> ViewerSession::Opened() const {
  return test_support::ReadOpenRecords(openLog);
}

std::string ViewerSession::TempFile(const std::string& fileName) const {
  return test_support::ReadBytes(tempFolder + "\\" + fileName);
}
