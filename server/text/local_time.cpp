#include "server/text/local_time.h"

#include <ctime>

std::string LocalTime(const char* format) {
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  char text[32];
  strftime(text, sizeof text, format, &local);
  return text;
}

std::string LocalTimestamp() { return LocalTime("%Y-%m-%d %H:%M:%S"); }

int64_t EpochSeconds() { return static_cast<int64_t>(time(nullptr)); }
