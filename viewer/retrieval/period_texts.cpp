#include "viewer/retrieval/period_texts.h"

#include "viewer/report/period_walk.h"
#include "viewer/report/report_writer.h"

PeriodTexts SplitPeriodTexts(const char* periodText) {
  PeriodTexts texts = {};
  ReportWriter::SplitDateText(periodText, texts.field[0], texts.field[1], texts.field[2]);
  for (int i = 0; i < PERIOD_FIELD_COUNT; ++i) texts.value[i] = LeadingNumber(texts.field[i]);
  return texts;
}
