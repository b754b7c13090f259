// DownloadFile against a real web server and a real FTP
// server on loopback.
#include <gtest/gtest.h>

#include "common/download_file.h"
#include "platform/internet.h"

#include "tests/launcher/web_root.h"
#include "tests/support/test_addresses.h"
#include "tests/support/test_files.h"

namespace {

using launcher_test::BinaryBytes;
using launcher_test::InLocalCache;
using launcher_test::PublishFile;
using launcher_test::WebServerAddress;

// Nothing listens on this loopback address.
constexpr char UNREACHABLE_URL[] = "http://" TEST_ADDRESS_LAUNCHER_UNREACHABLE "/file.bin";
constexpr char OLD_CONTENT[] = "the file as it was before the download\r\n";
// An installation without Secure: every kind of address may be fetched.
constexpr bool PLAIN = false;

class DownloadFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(launcher_test::WebRoot().empty()) << "run under with_web_server.sh";
    folder = test_support::MakeScratchFolder("launcher-download");
  }

  std::string Url(const std::string& path) const { return "http://" + WebServerAddress() + "/" + path; }
  std::string FtpUrl(const std::string& path) const {
    return "ftp://" + test_support::EnvironmentValue("TARVEX_FTP_ADDRESS") + "/" + path;
  }
  std::string Local(const std::string& name) const { return folder + "\\" + name; }

  bool Download(const std::string& name, const std::string& url) {
    return DownloadFile(Local(name).c_str(), url.c_str(), PLAIN);
  }

  // The target holds its old content and no partial file was left beside it.
  void ExpectOldFileKept(const std::string& name) {
    EXPECT_EQ(test_support::ReadBytes(Local(name)), OLD_CONTENT);
    EXPECT_FALSE(test_support::FileExists(Local(name) + ".download"));
  }

  std::string folder;
};

TEST_F(DownloadFileTest, EverySizeArrivesByteForByte) {
  // Around the block size, a short first piece from the server, exactly two
  // blocks, and over a mebibyte.
  for (size_t size : {0u, 1u, 700u, 1023u, 1024u, 1025u, 2048u, 1048576u + 777u}) {
    SCOPED_TRACE(size);
    std::string name = "file" + std::to_string(size) + ".bin";
    std::string bytes = BinaryBytes(size);
    ASSERT_TRUE(PublishFile(name, bytes));
    ASSERT_TRUE(Download(name, Url(name)));
    EXPECT_TRUE(test_support::ReadBytes(Local(name)) == bytes);
    EXPECT_FALSE(test_support::FileExists(Local(name) + ".download"));
  }
}

TEST_F(DownloadFileTest, ChunkedReplyWithoutLengthArrivesWhole) {
  for (size_t size : {0u, 1500u, 2048u, 100000u}) {
    SCOPED_TRACE(size);
    std::string name = "chunked" + std::to_string(size) + ".bin";
    std::string bytes = BinaryBytes(size);
    ASSERT_TRUE(PublishFile(name, bytes));
    ASSERT_TRUE(Download(name, Url("chunked/" + name)));
    EXPECT_TRUE(test_support::ReadBytes(Local(name)) == bytes);
  }
}

TEST_F(DownloadFileTest, ReplacesAnExistingFileAndSendsTheApplicationName) {
  ASSERT_TRUE(test_support::WriteBytes(Local("program.exe"), OLD_CONTENT));
  std::string bytes = BinaryBytes(5000);
  ASSERT_TRUE(PublishFile("program.exe", bytes));
  ASSERT_TRUE(Download("program.exe", Url("program.exe")));
  EXPECT_TRUE(test_support::ReadBytes(Local("program.exe")) == bytes);
  EXPECT_NE(launcher_test::RequestLog().find("/program.exe launcher_download_test\n"), std::string::npos)
      << launcher_test::RequestLog();
}

TEST_F(DownloadFileTest, ErrorStatusFailsAndKeepsTheOldFile) {
  ASSERT_TRUE(test_support::WriteBytes(Local("missing.exe"), OLD_CONTENT));
  EXPECT_FALSE(Download("missing.exe", Url("missing.exe")));
  ExpectOldFileKept("missing.exe");
}

TEST_F(DownloadFileTest, ConnectionClosedEarlyKeepsTheOldFile) {
  ASSERT_TRUE(PublishFile("cut.bin", BinaryBytes(300000)));
  ASSERT_TRUE(test_support::WriteBytes(Local("cut.bin"), OLD_CONTENT));
  bool downloaded = true;
  try {
    downloaded = Download("cut.bin", Url("truncated/cut.bin"));
  } catch (const platform::CInternetException&) {
    downloaded = false;
  }
  EXPECT_FALSE(downloaded);
  ExpectOldFileKept("cut.bin");
}

TEST_F(DownloadFileTest, UnreachableHostThrowsAndKeepsTheOldFile) {
  ASSERT_TRUE(test_support::WriteBytes(Local("program.exe"), OLD_CONTENT));
  EXPECT_THROW(Download("program.exe", UNREACHABLE_URL), platform::CInternetException);
  ExpectOldFileKept("program.exe");
}

TEST_F(DownloadFileTest, TargetThatCannotBeCreatedFails) {
  ASSERT_TRUE(PublishFile("data.bin", BinaryBytes(10)));
  EXPECT_FALSE(Download("no such folder\\data.bin", Url("data.bin")));
}

TEST_F(DownloadFileTest, EveryDownloadAsksTheServerAndLeavesNothingInTheCache) {
  launcher_test::DropFromLocalCache(Url("list.txt"));
  ASSERT_TRUE(PublishFile("list.txt", "3\r\n"));
  ASSERT_TRUE(Download("list.txt", Url("list.txt")));
  ASSERT_TRUE(PublishFile("list.txt", "4\r\n"));
  ASSERT_TRUE(Download("list.txt", Url("list.txt")));
  EXPECT_EQ(test_support::ReadBytes(Local("list.txt")), "4\r\n");
  EXPECT_FALSE(InLocalCache(Url("list.txt")));
}

TEST_F(DownloadFileTest, FtpAddressesArriveByteForByte) {
  ASSERT_FALSE(test_support::EnvironmentValue("TARVEX_FTP_ADDRESS").empty()) << "run under ftp_server.py";
  // Line feeds among the bytes: a transfer in ASCII mode would change them.
  for (size_t size : {0u, 1500u, 70000u}) {
    SCOPED_TRACE(size);
    std::string name = "ftp" + std::to_string(size) + ".bin";
    std::string bytes = BinaryBytes(size);
    ASSERT_TRUE(PublishFile(name, bytes));
    ASSERT_TRUE(test_support::WriteBytes(Local(name), OLD_CONTENT));
    ASSERT_TRUE(Download(name, FtpUrl(name)));
    EXPECT_TRUE(test_support::ReadBytes(Local(name)) == bytes);
  }
}

TEST_F(DownloadFileTest, MissingFtpFileThrowsAndKeepsTheOldFile) {
  ASSERT_TRUE(test_support::WriteBytes(Local("absent.bin"), OLD_CONTENT));
  EXPECT_THROW(Download("absent.bin", FtpUrl("absent.bin")), platform::CInternetException);
  ExpectOldFileKept("absent.bin");
}

}  // namespace
