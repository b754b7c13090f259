// Who gives way when the front is full: the fair share of request memory,
// the small request every connection may hold, and the connection caps.
#include "server/http/admission.h"

#include <gtest/gtest.h>

namespace {

using Clock = Admission::Clock;
using Verdict = Admission::Verdict;

constexpr size_t KIB = 1024;
const Clock::time_point T0{};

HttpLimits Limits() {
  HttpLimits limits;
  limits.maxConnections = 8;
  limits.maxConnectionsPerAddress = 3;
  limits.maxBufferedBytes = 400 * KIB;  // a share of 100 KiB an address
  limits.trustedProxies = {"10.0.0.9"};
  return limits;
}

// Opens connection `id` of `peer`, receiving since T0 + `age` seconds, holding `bytes`.
void Open(Admission& admission, uint64_t id, const std::string& peer, int start, size_t bytes) {
  admission.Opened(id, peer, T0 + std::chrono::seconds(start));
  uint64_t victim = 0;
  ASSERT_EQ(Verdict::Taken, admission.Take(id, bytes, victim)) << id;
}

TEST(Admission, ALargeHolderGivesWayToANewcomerAndASmallRequestAlwaysFits) {
  Admission admission(Limits());
  for (uint64_t id = 1; id <= 4; ++id) {
    Open(admission, id, "10.0.0." + std::to_string(id), static_cast<int>(id), SMALL_REQUEST_BYTES + 99 * KIB);
  }
  admission.Opened(5, "10.0.0.5", T0 + std::chrono::seconds(9));
  struct {
    const char* why;
    uint64_t id;
    size_t bytes;
    Verdict expected;
  } const cases[] = {
      {"a small request outside the budget", 5, SMALL_REQUEST_BYTES, Verdict::Taken},
      {"past an address's share", 1, 2 * KIB, Verdict::OverShare},
      {"up to the budget", 5, 4 * KIB, Verdict::Taken},
      {"nobody holds more than the asker", 2, KIB, Verdict::Busy},
      {"the budget full: the oldest of the largest gives way", 5, KIB, Verdict::GiveWay},
  };
  uint64_t victim = 0;
  for (const auto& test : cases) {
    EXPECT_EQ(test.expected, admission.Take(test.id, test.bytes, victim)) << test.why;
  }
  EXPECT_EQ(1u, victim);
  admission.Closed(1);
  EXPECT_EQ(Verdict::Taken, admission.Take(5, KIB, victim)) << "room once the victim is gone";
}

TEST(Admission, OnlyAReceivingConnectionGivesWay) {
  Admission admission(Limits());
  Open(admission, 1, "10.0.0.1", 0, SMALL_REQUEST_BYTES + 99 * KIB);
  Open(admission, 2, "10.0.0.2", 1, SMALL_REQUEST_BYTES + 99 * KIB);
  Open(admission, 3, "10.0.0.3", 2, SMALL_REQUEST_BYTES + 99 * KIB);
  Open(admission, 4, "10.0.0.4", 3, SMALL_REQUEST_BYTES + 99 * KIB);
  admission.SetReceiving(1, false, T0);  // its request runs
  EXPECT_EQ(2u, admission.LongestReceiving());
  uint64_t victim = 0;
  admission.Opened(5, "10.0.0.5", T0 + std::chrono::seconds(5));
  EXPECT_EQ(Verdict::GiveWay, admission.Take(5, SMALL_REQUEST_BYTES + 5 * KIB, victim));
  EXPECT_EQ(2u, victim);
}

TEST(Admission, CapsConnectionsPerClientAndCountsAProxiedRequestToItsClient) {
  Admission admission(Limits());
  for (uint64_t id = 1; id <= 3; ++id) {
    ASSERT_TRUE(admission.MayOpen("10.0.0.1"));
    admission.Opened(id, "10.0.0.1", T0);
  }
  EXPECT_FALSE(admission.MayOpen("10.0.0.1"));
  for (uint64_t id = 4; id <= 8; ++id) {
    ASSERT_TRUE(admission.MayOpen("10.0.0.9")) << "a trusted proxy is not capped itself";
    admission.Opened(id, "10.0.0.9", T0);
  }
  EXPECT_TRUE(admission.Full());
  EXPECT_FALSE(admission.NameClient(4, "10.0.0.1")) << "its client holds all its connections";
  EXPECT_TRUE(admission.NameClient(4, "10.0.0.2"));
  EXPECT_TRUE(admission.NameClient(5, "10.0.0.2"));
  EXPECT_TRUE(admission.NameClient(6, "10.0.0.2"));
  EXPECT_FALSE(admission.NameClient(7, "10.0.0.2"));
  admission.Closed(4);
  EXPECT_TRUE(admission.NameClient(7, "10.0.0.2"));
  EXPECT_FALSE(admission.Full());
}

}  // namespace
