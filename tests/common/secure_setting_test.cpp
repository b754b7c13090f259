// The Secure key's values and the addresses a secure installation fetches.
#include "common/download_file.h"
#include "common/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SecureSetting, OnlyTheWordsForOffLeavePlainHttp) {
  for (const char* plain : {"", "0", "no", "No", "false", "FALSE", "off", "Off"}) {
    EXPECT_FALSE(SecureSettingOn(plain)) << plain;
  }
  // Anything else errs on the safe side, mistyped or foreign words included.
  for (const char* secure : {"1", "yes", "true", "on", "2", "00", "0 ", "of", "offf", "ｏｆｆ", "はい"}) {
    EXPECT_TRUE(SecureSettingOn(secure)) << secure;
  }
}

// A secure installation fetches https addresses only; a plain one any.
TEST(SecureSetting, OnlyHttpsAddressesAreHttps) {
  for (const char* https : {"https://host/pg/", "HTTPS://HOST/pg/version.txt", "Https://127.0.0.1/"}) {
    EXPECT_TRUE(MayDownload(https, true)) << https;
    EXPECT_TRUE(MayDownload(https, false)) << https;
  }
  for (const char* other : {"http://host/pg/", "ftp://host/file", "https:/host/", "https", "", " https://host/",
                            "httpss://host/", "file://c:/x", "version.txt", "ｈttps://host/"}) {
    EXPECT_FALSE(MayDownload(other, true)) << other;
    EXPECT_TRUE(MayDownload(other, false)) << other;
  }
}

}  // namespace
