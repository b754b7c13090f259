// Splits arbitrary FROM and TO texts, counts their periods under every
// period type and walks the first periods, formatting their labels: nothing
// may read or write past a field, and the count is never negative.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "viewer/base/period_walk.h"
#include "viewer/report/report_columns.h"

namespace {

const int WALK_STEPS = 64;
const PeriodType TYPES[] = {PeriodType::Daily,   PeriodType::PentadOfYear, PeriodType::PentadOfMonth,
                            PeriodType::TenDay,  PeriodType::Monthly,      PeriodType::Yearly};

void CheckSplit(const std::string& text) {
  PeriodTexts texts = SplitPeriodText(text.c_str());
  if (texts.count < 1) std::abort();
  for (const std::string& field : texts.field) {
    if (field.size() > PERIOD_FIELD_TEXT_MAX) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find('\n');
  std::string from = input.substr(0, split).c_str();
  std::string to = split == std::string::npos ? from : std::string(input.substr(split + 1).c_str());
  CheckSplit(from);
  CheckSplit(to);
  for (PeriodType type : TYPES) {
    int count = CountPeriods(Period{type, PeriodText(from.c_str()), PeriodText(to.c_str())});
    if (count < 0) std::abort();
    PeriodFields period = ReadPeriodFields(PeriodText(from.c_str()).c_str());
    char label[REPORT_TEXT_SIZE];
    for (int step = 0; step < count && step < WALK_STEPS; ++step) {
      FormatPeriodLabel(type, period, label);
      if (std::strlen(label) >= REPORT_TEXT_SIZE) std::abort();
      AdvancePeriod(type, period);
    }
  }
  return 0;
}
