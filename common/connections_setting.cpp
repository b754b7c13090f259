#include "common/connections_setting.h"

int ConnectionsSetting(const std::string& value) {
  if (value.empty()) return DEFAULT_CONNECTIONS;
  long number = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return DEFAULT_CONNECTIONS;
    // Stops growing past the cap, so no number of digits overflows.
    if (number <= MAX_CONNECTIONS) number = number * 10 + (c - '0');
  }
  if (number == 0) return DEFAULT_CONNECTIONS;
  return number > MAX_CONNECTIONS ? MAX_CONNECTIONS : static_cast<int>(number);
}
