// Reads arbitrary reply texts as observation rows of every period type: the
// first byte picks the type (and how many rows are already held), the second the row count the link reported, the
// rest is the reply text. The reader must stay inside the text, never store
// more rows than counted, and leave every station number terminated.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "viewer/retrieval/reply_rows.h"

constexpr int TYPE_COUNT = static_cast<int>(PeriodType::Yearly);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const PeriodType type = static_cast<PeriodType>(1 + data[0] % TYPE_COUNT);
  int rowCount = data[1];
  // An exact-size copy, so a read past the text is caught.
  std::vector<char> reply(data + 2, data + size);
  std::vector<ObservationRow> rows(data[0] / TYPE_COUNT % 4);
  const size_t held = rows.size();
  int stored = ReadReplyRows(type, reply.data(), reply.size(), rowCount, rows);
  if (stored < 0 || stored > rowCount || rows.size() != held + static_cast<size_t>(stored)) std::abort();
  for (const ObservationRow& row : rows) {
    if (std::memchr(row.stationCode, '\0', STATION_CODE_SIZE) == nullptr) std::abort();
  }
  return 0;
}
