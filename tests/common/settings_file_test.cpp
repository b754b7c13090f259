// The settings file beside the test executable, read and written through the
// real profile functions.
#include "common/settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/credentials_file.h"
#include "common/install_folder.h"
#include "platform/module_path.h"
#include "tests/support/test_files.h"

namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = Settings::Path();
    ASSERT_FALSE(path.empty());
    std::remove(path.c_str());
  }
  void TearDown() override { std::remove(path.c_str()); }

  std::string path;
};

const char FULL_SETTINGS[] =
    "[system]\r\n"
    "ServerIP=192.0.2.7\r\n"
    "DataServer=192.0.2.10\r\n"
    "ConfirmRows=250000\r\n"
    "DLIniFile=version.ini\r\n"
    "DLSrvPath=http://192.0.2.8/update/\r\n"
    "UserURL=http://192.0.2.9/user/\r\n"
    "[Version]\r\n"
    "SystemVer=12\r\n";

TEST(SettingsPaths, BothFilesLieInTheExecutablesFolder) {
  std::string folder = platform::ModuleFolder();
  const std::string exeName = "\\common_settings_file_test.exe";
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(test_support::FileExists(folder + exeName));
  EXPECT_EQ("common_settings_file_test", platform::ModuleTitle());
  EXPECT_EQ(folder + "\\qorvanet.ini", Settings::Path());
  EXPECT_EQ(folder + "\\user_inf.txt", CredentialsFile::Path());
}

TEST_F(SettingsFileTest, MissingFileReadsAsEmptyValuesAndReportsFalse) {
  Settings settings;
  settings.serverIp = "stale";
  settings.systemVer = "stale";
  EXPECT_FALSE(settings.Read(SettingsProgram::Launcher));
  EXPECT_EQ("", settings.serverIp);
  EXPECT_EQ("", settings.systemVer);
  EXPECT_EQ("", settings.userUrl);
}

TEST_F(SettingsFileTest, LauncherReadsItsKeysViewerTheTwoServers) {
  ASSERT_TRUE(test_support::WriteBytes(path, FULL_SETTINGS));
  Settings launcher;
  EXPECT_TRUE(launcher.Read(SettingsProgram::Launcher));
  EXPECT_EQ("192.0.2.7", launcher.serverIp);
  EXPECT_EQ("version.ini", launcher.dlIniFile);
  EXPECT_EQ("http://192.0.2.8/update/", launcher.dlSrvPath);
  EXPECT_EQ("http://192.0.2.9/user/", launcher.userUrl);
  EXPECT_EQ("12", launcher.systemVer);
  EXPECT_EQ("", launcher.dataServer);
  EXPECT_EQ("", launcher.confirmRows);

  Settings viewer;
  EXPECT_TRUE(viewer.Read(SettingsProgram::Viewer));
  EXPECT_EQ("192.0.2.7", viewer.serverIp);
  EXPECT_EQ("192.0.2.10", viewer.dataServer);
  EXPECT_EQ("250000", viewer.confirmRows);
  EXPECT_EQ("", viewer.dlIniFile);
  EXPECT_EQ("", viewer.systemVer);
}

// The installation's own file explains its keys on comment lines, which
// the profile functions skip; a comment after a value would be read as part
// of it.
TEST_F(SettingsFileTest, TheInstalledSettingsReadWithoutTheirExplanations) {
  std::string installed = test_support::ReadBytes(test_support::EnvironmentValue("TARVEX_SOURCE_DIR") +
                                                  "/data/qorvanet.ini");
  ASSERT_NE(std::string::npos, installed.find("\r\n; "));
  ASSERT_TRUE(test_support::WriteBytes(path, installed));
  Settings launcher;
  EXPECT_TRUE(launcher.Read(SettingsProgram::Launcher));
  EXPECT_EQ("127.0.0.1", launcher.serverIp);
  EXPECT_EQ("version.txt", launcher.dlIniFile);
  EXPECT_EQ("", launcher.dlSrvPath);
  EXPECT_EQ("", launcher.userUrl);
  EXPECT_EQ("1", launcher.systemVer);
  Settings viewer;
  EXPECT_TRUE(viewer.Read(SettingsProgram::Viewer));
  EXPECT_EQ("127.0.0.1", viewer.serverIp);
  EXPECT_EQ("", viewer.dataServer);
  EXPECT_EQ("100000", viewer.confirmRows);
}

TEST_F(SettingsFileTest, BothProgramsReadTheSecureKeyWhichTheInstalledFileLeavesOff) {
  struct Case {
    std::string settings;
    bool secure;
  };
  const std::string installed = test_support::ReadBytes(test_support::EnvironmentValue("TARVEX_SOURCE_DIR") +
                                                        "/data/qorvanet.ini");
  const Case cases[] = {
      {FULL_SETTINGS, false},
      {installed, false},
      {"[system]\r\nSecure=1\r\n", true},
      {"[system]\r\nSecure = 1 \r\n", true},
      {"[system]\r\nSecure=0\r\n", false},
      {"[Version]\r\nSecure=1\r\n", false},
  };
  for (const Case& one : cases) {
    ASSERT_TRUE(test_support::WriteBytes(path, one.settings));
    for (SettingsProgram program : {SettingsProgram::Launcher, SettingsProgram::Viewer}) {
      Settings settings;
      settings.secure = !one.secure;
      EXPECT_TRUE(settings.Read(program));
      EXPECT_EQ(one.secure, settings.secure) << one.settings;
    }
  }
}

TEST_F(SettingsFileTest, TheViewerReadsItsConnectionsWhichTheInstalledFileSetsToSix) {
  struct Case {
    std::string settings;
    int connections;
  };
  const std::string installed = test_support::ReadBytes(test_support::EnvironmentValue("TARVEX_SOURCE_DIR") +
                                                        "/data/qorvanet.ini");
  const Case cases[] = {
      {installed, 6},
      {"[system]\r\nConnections=1\r\n", 1},
      {"[system]\r\nConnections = 3 \r\n", 3},
      {"[system]\r\nServerIP=127.0.0.1\r\n", DEFAULT_CONNECTIONS},
      {"[Version]\r\nConnections=1\r\n", DEFAULT_CONNECTIONS},
  };
  for (const Case& one : cases) {
    ASSERT_TRUE(test_support::WriteBytes(path, one.settings));
    Settings viewer;
    viewer.connections = 0;
    EXPECT_TRUE(viewer.Read(SettingsProgram::Viewer));
    EXPECT_EQ(one.connections, viewer.connections) << one.settings;
  }
}

TEST(InstallFolder, ItsFilesCanBeNamedAndTheMessageWouldNameIt) {
  EXPECT_TRUE(InstallFolderUsable());
  EXPECT_EQ("プログラムのフォルダ[" + platform::ModuleFolder() +
                "]を扱えないため、その中のファイルを読み書きできません。名前の短いフォルダにインストールしてください。",
            InstallFolderUnusableMessage());
}

TEST_F(SettingsFileTest, LongValuesAreCutAndMissingKeysAreEmpty) {
  std::string longValue(300, 'h');
  ASSERT_TRUE(test_support::WriteBytes(path, "[system]\r\nServerIP=" + longValue + "\r\n"));
  Settings settings;
  EXPECT_TRUE(settings.Read(SettingsProgram::Launcher));
  EXPECT_EQ(std::string(SETTINGS_VALUE_MAX, 'h'), settings.serverIp);
  EXPECT_EQ("", settings.dlIniFile);
  EXPECT_EQ("", settings.systemVer);
}

// The file is Shift-JIS whatever the system's locale; a value cut at the
// limit never ends in half a double-byte character.
TEST_F(SettingsFileTest, JapaneseValuesKeepTheirBytes) {
  const std::string hokkaido = "\x96\x6b\x8a\x43\x93\xb9";  // 北海道
  std::string longValue = "hh";
  while (longValue.size() < SETTINGS_VALUE_MAX + 10) longValue += hokkaido;
  ASSERT_TRUE(test_support::WriteBytes(path, "[system]\r\nServerIP=" + hokkaido + "\r\nUserURL=" + longValue + "\r\n"));
  Settings settings;
  EXPECT_TRUE(settings.Read(SettingsProgram::Launcher));
  EXPECT_EQ(hokkaido, settings.serverIp);
  // 2 + 128 characters of 2 bytes take 258 bytes; the next one would need
  // the 259th and a 260th byte.
  EXPECT_EQ(longValue.substr(0, SETTINGS_VALUE_MAX - 1), settings.userUrl);

  settings.systemVer = hokkaido;
  EXPECT_TRUE(settings.WriteVersion());
  EXPECT_NE(std::string::npos, test_support::ReadBytes(path).find("SystemVer=" + hokkaido + "\r\n"));
}

TEST_F(SettingsFileTest, WriteVersionReplacesTheWholeVersionSectionOnly) {
  const std::string system =
      "[system]\r\n"
      "ServerIP=192.0.2.7\r\n"
      "SystemVer=not this one\r\n";
  ASSERT_TRUE(test_support::WriteBytes(path, system +
                                                 "[Version]\r\n"
                                                 "Build=77\r\n"
                                                 "SystemVer=12\r\n"
                                                 "Channel=beta\r\n"));
  Settings settings;
  settings.systemVer = "13";
  EXPECT_TRUE(settings.WriteVersion());

  std::string bytes = test_support::ReadBytes(path);
  EXPECT_EQ(system, bytes.substr(0, system.size()));
  EXPECT_NE(std::string::npos, bytes.find("[Version]\r\nSystemVer=13\r\n"));
  EXPECT_EQ(std::string::npos, bytes.find("Build"));
  EXPECT_EQ(std::string::npos, bytes.find("Channel"));

  Settings reread;
  EXPECT_TRUE(reread.Read(SettingsProgram::Launcher));
  EXPECT_EQ("13", reread.systemVer);
  EXPECT_EQ("192.0.2.7", reread.serverIp);
}

TEST_F(SettingsFileTest, WriteVersionAddsTheSectionWhenAbsent) {
  ASSERT_TRUE(test_support::WriteBytes(path, "[system]\r\nServerIP=192.0.2.7\r\n"));
  Settings settings;
  settings.systemVer = "2";
  EXPECT_TRUE(settings.WriteVersion());
  Settings reread;
  EXPECT_TRUE(reread.Read(SettingsProgram::Launcher));
  EXPECT_EQ("2", reread.systemVer);
  EXPECT_EQ("192.0.2.7", reread.serverIp);
}

}  // namespace
