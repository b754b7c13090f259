// The Connections key's values.
#include "common/settings.h"

#include <gtest/gtest.h>

namespace {

TEST(ConnectionsSetting, DigitsCountUpToTheCapAndEverythingElseGivesTheDefault) {
  struct Case {
    const char* value;
    int connections;
  };
  const Case cases[] = {
      {"1", 1},
      {"6", 6},
      {"16", MAX_CONNECTIONS},
      {"17", MAX_CONNECTIONS},
      {"007", 7},
      {"99999999999999999999999", MAX_CONNECTIONS},
      {"", DEFAULT_CONNECTIONS},
      {"0", DEFAULT_CONNECTIONS},
      {"-1", DEFAULT_CONNECTIONS},
      {"4 ", DEFAULT_CONNECTIONS},
      {"two", DEFAULT_CONNECTIONS},
      {"３", DEFAULT_CONNECTIONS},
  };
  for (const Case& c : cases) EXPECT_EQ(ConnectionsSetting(c.value), c.connections) << c.value;
}

}  // namespace
