#include "server/text/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextEncoding, RoundTripsJapaneseIncludingTrailBytesLikeABackslash) {
  // 表 is 0x95 0x5C and ソ is 0x83 0x5C in Shift-JIS.
  const std::string cp932 = "\x95\x5C\x83\x5C\x8F\x5C, \\ ~";
  std::string utf8;
  ASSERT_TRUE(Cp932ToUtf8(cp932, utf8));
  EXPECT_EQ(std::string(u8"表ソ十, \\ ~"), utf8);
  EXPECT_EQ(cp932, Utf8ToCp932(utf8));
}

TEST(TextEncoding, RefusesBytesThatAreNotShiftJis) {
  std::string utf8 = "left over";
  EXPECT_FALSE(Cp932ToUtf8("abc\x81", utf8));  // a lead byte without its trail
  EXPECT_EQ("", utf8);
  EXPECT_FALSE(Cp932ToUtf8("\xA0", utf8));
}

TEST(TextEncoding, ReplacesWhatShiftJisCannotHold) {
  EXPECT_EQ("a?b?c", Utf8ToCp932(u8"a\U0001F600b\u00E9c"));
  EXPECT_EQ("x?", Utf8ToCp932("x\xE3\x81"));  // a cut UTF-8 sequence
}

}  // namespace
