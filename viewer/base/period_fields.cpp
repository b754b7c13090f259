#include "viewer/base/period_fields.h"

namespace {

const int MONTH_DAYS[MONTHS_PER_YEAR] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const int FEBRUARY = 2;
const char FIELD_SEPARATOR = '/';

}  // namespace

std::string PeriodText(const char* text) {
  std::string cut(text);
  if (cut.size() > PERIOD_TEXT_MAX) cut.resize(PERIOD_TEXT_MAX);
  return cut;
}

PeriodTexts SplitPeriodText(const char* text) {
  const int lastField = PERIOD_FIELD_COUNT - 1;
  PeriodTexts texts;
  std::string field;
  int separators = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == FIELD_SEPARATOR) {
      texts.field[separators < lastField ? separators : lastField] = field;
      field.clear();
      ++separators;
    } else if (field.size() < PERIOD_FIELD_TEXT_MAX) {
      field += *p;
    }
  }
  texts.field[separators < lastField ? separators : lastField] = field;
  texts.count = separators + 1;
  for (int i = 0; i < PERIOD_FIELD_COUNT; ++i) texts.value[i] = LeadingNumber(texts.field[i].c_str());
  return texts;
}

PeriodFields ReadPeriodFields(const char* text) {
  PeriodTexts texts = SplitPeriodText(text);
  return PeriodFields{texts.value[0], texts.value[1], texts.value[2]};
}

int LeadingNumber(const char* text) {
  int value = 0;
  for (const char* p = text; *p >= '0' && *p <= '9'; ++p) {
    int digit = *p - '0';
    value = value > (PERIOD_FIELD_MAX - digit) / 10 ? PERIOD_FIELD_MAX : value * 10 + digit;
  }
  return value;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int MonthLength(int year, int month) {
  if (month < 1 || month > MONTHS_PER_YEAR) return 0;
  if (month == FEBRUARY && IsLeapYear(year)) return MONTH_DAYS[month - 1] + 1;
  return MONTH_DAYS[month - 1];
}
