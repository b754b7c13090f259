#include "viewer/report/report_writer.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "viewer/form/pair_list.h"
#include "viewer/report/html_csv_writers.h"
#include "viewer/report/period_walk.h"
#include "viewer/report/template_merger.h"

namespace {

const char* const OUT_OF_MEMORY = "メモリが不足しているため、帳票を作成できません。";

// Ends the field collected so far and copies it to its output.
void StoreField(const char* field, char* output) { std::strcpy(output, field); }

}  // namespace

ReportWriter::ReportWriter() : outputMode(0), periodType(0), stations(nullptr) {
  std::memset(lastError, 0, sizeof lastError);
  std::memset(periodFrom, 0, sizeof periodFrom);
  std::memset(periodTo, 0, sizeof periodTo);
  std::memset(elementFlags, 0, sizeof elementFlags);
}

ReportWriter::~ReportWriter() = default;

void ReportWriter::SetOutputMode(int mode) { outputMode = mode; }

void ReportWriter::SetPeriod(int type, const char* from, const char* to) {
  periodType = type;
  std::memset(periodFrom, 0, sizeof periodFrom);
  std::memset(periodTo, 0, sizeof periodTo);
  std::strncpy(periodFrom, from, REPORT_TEXT_SIZE - 1);
  std::strncpy(periodTo, to, REPORT_TEXT_SIZE - 1);
}

void ReportWriter::SetStations(const PairList* chosenStations) { stations = chosenStations; }

void ReportWriter::SetElements(const int flags[ELEMENT_COUNT]) {
  std::memcpy(elementFlags, flags, sizeof elementFlags);
}

int ReportWriter::StationCount() const { return stations ? stations->Count() : 0; }

int ReportWriter::ChosenElements(const ElementSpec** chosen) const {
  int count = 0;
  for (const ElementSpec& element : ELEMENT_CATALOGUE) {
    if (elementFlags[element.flagSlot] == 1) chosen[count++] = &element;
  }
  return count;
}

int ReportWriter::ColumnsPerStation() const {
  const ElementSpec* chosen[ELEMENT_COUNT];
  int count = ChosenElements(chosen);
  int columns = 0;
  for (int i = 0; i < count; ++i) columns += ElementColumns(*chosen[i], periodType);
  return columns;
}

int ReportWriter::TotalColumns() const { return ColumnsPerStation() * StationCount(); }

PeriodFields ReportWriter::FirstPeriod() const { return ReadPeriodFields(periodFrom); }

PeriodFields ReportWriter::LastPeriod() const { return ReadPeriodFields(periodTo); }

int ReportWriter::CountPeriods() const { return CountPeriodRows(periodType, FirstPeriod(), LastPeriod()); }

int ReportWriter::SplitDateText(const char* text, char* field1, char* field2, char* field3) {
  char* outputs[] = {field1, field2, field3};
  const int lastOutput = 2;
  char field[REPORT_TEXT_SIZE] = {};
  int fieldLength = 0;
  int separators = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '/') {
      StoreField(field, outputs[separators < lastOutput ? separators : lastOutput]);
      std::memset(field, 0, sizeof field);
      fieldLength = 0;
      ++separators;
    } else if (fieldLength < REPORT_TEXT_SIZE - 1) {
      field[fieldLength++] = *p;
    }
  }
  StoreField(field, outputs[separators < lastOutput ? separators : lastOutput]);
  return separators + 1;
}

ReportPath ReportWriter::MakeReport(const ObservationRow* rows, int rowCount) {
  std::memset(lastError, 0, sizeof lastError);
  try {
    const bool csv = outputMode == OUTPUT_MODE_CSV;
    std::unique_ptr<HeaderRecord[]> header = BuildHeader();
    GrowingText grid;
    AppendHeaderRows(grid, header.get(), TotalColumns(), csv);
    header.reset();
    AppendPeriodRows(grid, rows, rowCount, csv);
    if (csv) return WriteTempCsv(grid);
    return MergeAndWriteHtml(std::move(grid));
  } catch (const std::bad_alloc&) {
    std::snprintf(lastError, sizeof lastError, "%s", OUT_OF_MEMORY);
    return nullptr;
  }
}

ReportPath ReportWriter::MergeAndWriteHtml(GrowingText tableRows) {
  TemplateMerger merger;
  const char* const markers[] = {REPORT_TEMPLATE_MARKER};
  const char* const replacements[] = {tableRows.Data()};
  std::unique_ptr<GrowingText> page = merger.MergeTemplate(markers, replacements, 1, REPORT_TEMPLATE_NAME);
  if (!page) {
    std::snprintf(lastError, sizeof lastError, "%s", merger.lastError);
    return nullptr;
  }
  tableRows = GrowingText();
  return WriteTempHtml(*page);
}
