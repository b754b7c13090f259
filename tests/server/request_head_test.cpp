// The front's head parser as one table of heads it accepts and refuses,
// and the client-address canonical form that every per-address rule keys on.
#include "server/http/request_head.h"

#include <gtest/gtest.h>

#include <string>

#include "server/http/client_address.h"

namespace {

struct HeadCase {
  const char* why;
  std::string head;
  HeadProblem expected;
};

std::string Head(const std::string& requestLine, const std::string& fields) {
  return requestLine + "\r\n" + fields + "\r\n";
}

const std::string POST = "POST /norda/dbcommit.php HTTP/1.1";
const std::string HOST = "Host: 127.0.0.1\r\n";

TEST(RequestHead, AcceptsWhatClientsSendAndRefusesWhatTwoReadersCouldTakeDifferently) {
  using std::string_literals::operator""s;
  const HeadCase cases[] = {
      {"a head as the programs send it", Head(POST, HOST + "Content-Length: 95\r\n"), HeadProblem::None},
      {"lines ended by LF alone", "POST /x HTTP/1.1\nHost: a\nContent-Length: 1\n\n", HeadProblem::None},
      {"HTTP/1.0 needs no Host", Head("POST /x HTTP/1.0", "Content-Length: 1\r\n"), HeadProblem::None},
      {"the same length twice", Head(POST, HOST + "Content-Length: 5\r\nContent-Length: 5\r\n"), HeadProblem::None},
      {"bytes over 0x7F in a value", Head(POST, HOST + "User-Agent: \x93\xfa\x96\x7b\r\n"), HeadProblem::None},
      {"a space before the colon", Head(POST, HOST + "Content-Length : 95\r\n"), HeadProblem::Malformed},
      {"a tab before the colon", Head(POST, HOST + "Transfer-Encoding\t: chunked\r\nContent-Length: 5\r\n"),
       HeadProblem::Malformed},
      {"a space inside a name", Head(POST, HOST + "Content Length: 5\r\n"), HeadProblem::Malformed},
      {"a bare CR in a value", Head(POST, HOST + "X-A: 1\r2\r\n"), HeadProblem::Malformed},
      {"a NUL in a value", Head(POST, HOST + "X-Real-IP: 10.7.7.7\0tail\r\n"s), HeadProblem::Malformed},
      {"a NUL in a name", Head(POST, HOST + "X\0A: 1\r\n"s), HeadProblem::Malformed},
      {"a folded line", Head(POST, HOST + "X-A: 1\r\n 2\r\n"), HeadProblem::Malformed},
      {"a line without colon", Head(POST, HOST + "Content-Length 5\r\n"), HeadProblem::Malformed},
      {"no Host on HTTP/1.1", Head(POST, "Content-Length: 5\r\n"), HeadProblem::Malformed},
      {"two Host headers", Head(POST, HOST + HOST), HeadProblem::Malformed},
      {"a target without its slash", Head("POST norda/dbcommit.php HTTP/1.1", HOST), HeadProblem::Malformed},
      {"an absolute target", Head("POST http://a/norda/dbcommit.php HTTP/1.1", HOST), HeadProblem::Malformed},
      {"two spaces in the request line", Head("POST  /x HTTP/1.1", HOST), HeadProblem::Malformed},
      {"another version", Head("POST /x HTTP/2.0", HOST), HeadProblem::Malformed},
      {"a signed length", Head(POST, HOST + "Content-Length: +5\r\n"), HeadProblem::Malformed},
      {"a length list", Head(POST, HOST + "Content-Length: 5, 5\r\n"), HeadProblem::Malformed},
      {"a length past any size", Head(POST, HOST + "Content-Length: 99999999999999999999999\r\n"),
       HeadProblem::Malformed},
      {"two lengths", Head(POST, HOST + "Content-Length: 5\r\nContent-Length: 6\r\n"), HeadProblem::AmbiguousLength},
      {"a length beside chunks", Head(POST, HOST + "Transfer-Encoding: chunked\r\nContent-Length: 5\r\n"),
       HeadProblem::AmbiguousLength},
      {"chunks without a length", Head(POST, HOST + "Transfer-Encoding: chunked\r\n"), HeadProblem::LengthRequired},
  };
  for (const HeadCase& test : cases) {
    RequestHead parsed;
    EXPECT_EQ(test.expected, ParseRequestHead(test.head, parsed)) << test.why;
  }
}

TEST(RequestHead, KeepsTheConnectionAsTheVersionAndConnectionHeaderSay) {
  struct {
    std::string head;
    bool keepAlive;
    bool expectsContinue;
  } const cases[] = {
      {Head(POST, HOST), true, false},
      {Head(POST, HOST + "Connection: close\r\n"), false, false},
      {Head(POST, HOST + "Connection: Keep-Alive, Close\r\n"), false, false},
      {Head("POST /x HTTP/1.0", ""), false, false},
      {Head("POST /x HTTP/1.0", "Connection: keep-alive\r\n"), true, false},
      {Head(POST, HOST + "Expect: 100-continue\r\n"), true, true},
      {Head("POST /x HTTP/1.0", "Expect: 100-continue\r\n"), false, false},
  };
  for (const auto& test : cases) {
    RequestHead parsed;
    ASSERT_EQ(HeadProblem::None, ParseRequestHead(test.head, parsed)) << test.head;
    EXPECT_EQ(test.keepAlive, parsed.keepAlive) << test.head;
    EXPECT_EQ(test.expectsContinue, parsed.expectsContinue) << test.head;
  }
}

TEST(ClientAddress, GivesEverySpellingOfAnAddressOneTextAndRefusesAnythingElse) {
  using std::string_literals::operator""s;
  const std::pair<std::string, std::string> same[] = {
      {"10.7.7.7", "10.7.7.7"},
      {"2001:db8::1", "2001:db8::1"},
      {"2001:0DB8:0000:0000:0000:0000:0000:0001", "2001:db8::1"},
      {"2001:db8:0:0::1", "2001:db8::1"},
      {"::ffff:10.7.7.7", "10.7.7.7"},
  };
  for (const auto& [text, canonical] : same) {
    std::string got;
    EXPECT_TRUE(CanonicalAddress(text, got)) << text;
    EXPECT_EQ(canonical, got) << text;
  }
  for (const std::string& text : {"10.7.7.7\0tail"s, "10.7.7.7 "s, "010.7.7.7x"s, "host.example"s, ""s,
                                  "10.7.7.7, 10.6.6.6"s, "2001:db8::1%eth0"s}) {
    std::string got = "unchanged";
    EXPECT_FALSE(CanonicalAddress(text, got)) << text;
    EXPECT_EQ("unchanged", got);
  }
}

}  // namespace
