// Speed of the report at the largest selection the display command allows:
// 255 stations with one element, daily from 1999/01/01 to 2003/12/31 (1,826
// period rows, 465,630 observation rows). For the HTML and the CSV report it
// prints the time from rows in memory to the written file, the bytes
// written, the peak heap use during the report, and the ratio of the time to
// one plain fwrite of the same bytes.
//
// Run: build/<preset>/tests/viewer/report/report_benchmark [element-slot]
// (element slot 6, precipitation, by default; 3 gives the maximum temperature).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "tests/support/test_files.h"
#include "viewer/base/pair_list.h"
#include "viewer/report/report_writer.h"

namespace {

size_t heapInUse = 0;
size_t heapPeak = 0;

const int STATIONS = 255;
const char* const FROM = "1999/01/01";
const char* const TO = "2003/12/31";
const int RUNS = 3;

}  // namespace

// Every allocation of the program passes here, so the peak of the report's
// own blocks can be read around one MakeReport.
void* operator new(size_t size) {
  size_t* block = static_cast<size_t*>(std::malloc(size + sizeof(size_t)));
  if (!block) throw std::bad_alloc();
  *block = size;
  heapInUse += size;
  if (heapInUse > heapPeak) heapPeak = heapInUse;
  return block + 1;
}

void operator delete(void* pointer) noexcept {
  if (!pointer) return;
  size_t* block = static_cast<size_t*>(pointer) - 1;
  heapInUse -= *block;
  std::free(block);
}

void operator delete(void* pointer, size_t) noexcept { operator delete(pointer); }
void* operator new[](size_t size) { return operator new(size); }
void operator delete[](void* pointer) noexcept { operator delete(pointer); }
void operator delete[](void* pointer, size_t) noexcept { operator delete(pointer); }

namespace {

std::string StationNumber(int station) {
  char number[16];
  std::snprintf(number, sizeof number, "%05d", 10000 + station * 7);
  return number;
}

// One row per station and day with values that vary like real ones:
// negative tenths, some missing values, directions, dates.
std::vector<ObservationRow> MakeRows() {
  std::vector<ObservationRow> rows;
  rows.reserve(static_cast<size_t>(STATIONS) * 1826);
  for (int station = 0; station < STATIONS; ++station) {
    std::string number = StationNumber(station);
    int year = 1999, month = 1, day = 1;
    for (int i = 0; i < 1826; ++i) {
      ObservationRow row = {};
      std::snprintf(row.stationCode, sizeof row.stationCode, "%s", number.c_str());
      row.year = static_cast<int16_t>(year);
      row.period2 = static_cast<int16_t>(month);
      row.period3 = static_cast<int16_t>(day);
      int seed = (station * 7919 + i * 104729) % 1000;
      int16_t value = static_cast<int16_t>(seed % 37 == 0 ? MISSING_VALUE : seed - 300);
      for (int16_t* field = &row.precipitation; field <= &row.sunshineHours; ++field) *field = value;
      row.maxWindDirection = static_cast<int16_t>(seed % 17);
      row.prevailingWindDirection = static_cast<int16_t>(seed % 17);
      rows.push_back(row);
      if (++day > MonthLength(year, month)) {
        day = 1;
        if (++month > 12) {
          month = 1;
          ++year;
        }
      }
    }
  }
  return rows;
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double PlainWriteSeconds(const std::string& bytes, const std::string& path) {
  auto start = std::chrono::steady_clock::now();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return Seconds(start);
}

void Measure(const char* name, const Query& query, OutputMode mode, const std::vector<ObservationRow>& rows,
             const std::string& folder) {
  double best = 1e9;
  size_t peak = 0;
  std::string path;
  for (int run = 0; run < RUNS; ++run) {
    heapPeak = heapInUse;
    const size_t before = heapInUse;
    auto start = std::chrono::steady_clock::now();
    std::string error;
    bool written = ReportWriter::MakeReport(query, mode, rows.data(), static_cast<int>(rows.size()), path, error);
    double seconds = Seconds(start);
    if (!written) {
      std::printf("%s: no report: %s\n", name, error.c_str());
      std::exit(1);
    }
    if (seconds < best) best = seconds;
    peak = heapPeak - before;
  }
  std::string bytes = test_support::ReadBytes(path);
  double plain = 1e9;
  for (int run = 0; run < RUNS; ++run) {
    double seconds = PlainWriteSeconds(bytes, folder + "/plain_write.out");
    if (seconds < plain) plain = seconds;
  }
  const double rowArray = static_cast<double>(rows.size() * sizeof(ObservationRow));
  std::printf("%-5s time %.3f s  bytes %zu  peak heap %.1f MB (%.2f x file)  row array %.1f MB  "
              "time / plain fwrite %.1f\n",
              name, best, bytes.size(), peak / 1e6, static_cast<double>(peak) / bytes.size(), rowArray / 1e6,
              best / plain);
  std::remove(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const int slot = argc > 1 ? std::atoi(argv[1]) : 6;
  std::string folder = test_support::MakeScratchFolder("report-benchmark");
  std::filesystem::current_path(folder);
  setenv("TEMP", folder.c_str(), 1);
  test_support::WriteBytes("output.html",
                           "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
                           "</head><body>\n<table>\n@data\n</table>\n</body></html>\n");

  PairList stations;
  for (int station = 0; station < STATIONS; ++station) {
    stations.Add(StationNumber(station).c_str(), ("station " + std::to_string(station)).c_str());
  }
  ElementSet elements;
  elements.set(slot);
  QueryFault fault = QueryFault::None;
  const Query query = Query::Make(stations, Period{PeriodType::Daily, FROM, TO}, elements, DataYears(), fault).value();
  std::vector<ObservationRow> rows = MakeRows();
  std::printf("%d stations x %d columns, %d period rows, %zu observation rows, element slot %d\n", STATIONS,
              ReportWriter(query).ColumnsPerStation(), CountPeriods(query.period), rows.size(), slot);

  Measure("HTML", query, OutputMode::Html, rows, folder);
  Measure("CSV", query, OutputMode::Csv, rows, folder);
  std::filesystem::current_path("/");
  std::filesystem::remove_all(folder);
  return 0;
}
