#include "viewer/retrieval/query_size.h"

#include <cstdio>

#include "viewer/base/period_walk.h"

namespace {

constexpr char CONFIRMATION_QUESTION[] = "この条件では%lld件のデータを取得します。実行しますか？";
constexpr size_t QUESTION_BUFFER = 128;
// More digits than this cannot be a threshold that any query reaches.
constexpr size_t CONFIRM_ROWS_DIGITS_MAX = 12;
constexpr const char* BLANKS = " \t";

}  // namespace

int64_t QueryRowCount(int stationCount, const Period& period) {
  if (stationCount <= 0) return 0;
  return int64_t{stationCount} * CountPeriods(period);
}

int64_t ConfirmRowsSetting(const std::string& value) {
  size_t first = value.find_first_not_of(BLANKS);
  if (first == std::string::npos) return DEFAULT_CONFIRM_ROWS;
  std::string digits = value.substr(first, value.find_last_not_of(BLANKS) - first + 1);
  if (digits.size() > CONFIRM_ROWS_DIGITS_MAX || digits.find_first_not_of("0123456789") != std::string::npos) {
    return DEFAULT_CONFIRM_ROWS;
  }
  return std::stoll(digits);
}

bool AsksBeforeFetching(int64_t rows, int64_t threshold) { return threshold > 0 && rows > threshold; }

std::string RowConfirmationQuestion(int64_t rows) {
  char text[QUESTION_BUFFER];
  std::snprintf(text, sizeof text, CONFIRMATION_QUESTION, static_cast<long long>(rows));
  return text;
}
