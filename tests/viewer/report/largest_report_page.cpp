// Writes the largest HTML report the form allows, as the viewer writes it
// for the first 51 stations of the picker with 降水量, 最大風速 (and its
// direction), 最多風向 and 平均気温, daily from 1999/01/01 to 2003/12/31:
// 255 columns x 1,826 days. The stations come from the pick lists, the days
// from the sample database's daily table, each row put as the data server's
// reply line through the viewer's own reply reader, and the real report
// writer lays them out into the given page template: the page the road under
// Wine gives, without Wine and without a server.
//
// Usage: largest_report_page TEMPLATE DATABASE MASTERS FOLDER
// (MASTERS: the folder of M_BLOCK.dat, M_TOFUKEN.dat and M_CHITEN.dat)
// writes FOLDER/temp.html and, for checking the page's table against it,
// the same report as CSV in FOLDER/temp.csv (FOLDER must exist); exits 1
// with a message when a report could not be written.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/viewer/report/report_test_support.h"
#include "tests/support/test_files.h"
#include "viewer/base/pair_list.h"
#include "viewer/report/report_writer.h"
#include "viewer/retrieval/reply_rows.h"

namespace {

constexpr int LARGEST_STATIONS = 51;  // 5 columns each: 255
const char* const FROM = "1999/01/01";
const char* const TO = "2003/12/31";
// The sample's daily table holds exactly the report's five years.
const char* const DAILY_ROWS = "SELECT * FROM st_data_h WHERE sChiten = ?";
const char* const PAGE_NAME = "temp.html";
const char* const CSV_NAME = "temp.csv";

using Fields = std::vector<std::string>;

// The lines of a master file, each cut at its commas (CR LF line ends).
std::vector<Fields> ReadMasterFile(const std::string& path) {
  std::vector<Fields> lines;
  std::istringstream text(test_support::ReadBytes(path));
  std::string line;
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Fields fields;
    std::istringstream cut(line);
    std::string field;
    while (std::getline(cut, field, ',')) fields.push_back(field);
    if (!fields.empty()) lines.push_back(fields);
  }
  return lines;
}

// The first `count` stations of the picker (number and name): block by
// block, prefecture by prefecture, in the order of the master files.
PairList FirstPickerStations(const std::string& masters, int count) {
  const std::vector<Fields> blocks = ReadMasterFile(masters + "/M_BLOCK.dat");
  const std::vector<Fields> prefectures = ReadMasterFile(masters + "/M_TOFUKEN.dat");
  const std::vector<Fields> stations = ReadMasterFile(masters + "/M_CHITEN.dat");
  PairList picked;
  for (const Fields& block : blocks) {
    for (const Fields& prefecture : prefectures) {
      if (prefecture.size() < 3 || prefecture[2] != block[0]) continue;
      for (const Fields& station : stations) {
        if (picked.Count() == count) return picked;
        if (station.size() >= 3 && station[2] == prefecture[0]) picked.Add(station[0].c_str(), station[1].c_str());
      }
    }
  }
  return picked;
}

// The station's daily rows of the report's years, each read from the line
// the data server would send for it.
bool AppendDailyRows(sqlite3* database, const std::string& station, std::vector<ObservationRow>& rows) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(database, DAILY_ROWS, -1, &statement, nullptr) != SQLITE_OK) return false;
  sqlite3_bind_int(statement, 1, std::atoi(station.c_str()));
  while (sqlite3_step(statement) == SQLITE_ROW) {
    std::string line;
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
      line += std::to_string(sqlite3_column_int(statement, column)) + ",";
    }
    rows.push_back(ReadReplyRow(PeriodType::Daily, line.data(), line.size()));
  }
  return sqlite3_finalize(statement) == SQLITE_OK;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "largest_report_page: %s\n", message.c_str());
  return 1;
}

// Writes the report in `mode` into FOLDER/`name`; false with the reason in
// `error`. The writer joins TEMP and the file name with the Windows
// separator, so the file is moved to its place.
bool WriteReport(const Query& query, OutputMode mode, const std::vector<ObservationRow>& rows,
                 const std::string& folder, const char* name, std::string& error) {
  std::string path;
  if (!ReportWriter::MakeReport(query, mode, rows.data(), static_cast<int>(rows.size()), path, error)) return false;
  std::filesystem::rename(path, folder + "/" + name);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s TEMPLATE DATABASE MASTERS FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = std::filesystem::absolute(argv[4]).lexically_normal().string();
  const std::string pageTemplate = test_support::ReadBytes(argv[1]);
  if (pageTemplate.empty() || !test_support::WriteBytes(folder + "/" + REPORT_TEMPLATE_NAME, pageTemplate)) {
    return Fail(std::string(argv[1]) + " could not be copied into " + folder);
  }
  const PairList stations = FirstPickerStations(argv[3], LARGEST_STATIONS);
  if (stations.Count() != LARGEST_STATIONS) return Fail(std::string("too few stations in ") + argv[3]);

  sqlite3* database = nullptr;
  if (sqlite3_open_v2(argv[2], &database, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(database);
    return Fail(std::string(argv[2]) + " could not be opened");
  }
  std::vector<ObservationRow> rows;
  bool read = true;
  for (int position = 0; position < stations.Count() && read; ++position) {
    std::string number;
    std::string name;
    stations.GetAt(position, number, name);
    read = AppendDailyRows(database, number, rows);
  }
  sqlite3_close(database);
  if (!read) return Fail(std::string("the daily rows could not be read from ") + argv[2]);

  using namespace report_test;
  const Flags elements{PRECIPITATION, MAX_WIND, PREVAILING_WIND, MEAN_TEMP};
  const Query query = QueryOf(stations, PeriodType::Daily, FROM, TO, elements);
  std::filesystem::current_path(folder);
  setenv("TEMP", folder.c_str(), 1);
  std::string error;
  if (!WriteReport(query, OutputMode::Html, rows, folder, PAGE_NAME, error) ||
      !WriteReport(query, OutputMode::Csv, rows, folder, CSV_NAME, error)) {
    return Fail("no report: " + error);
  }
  std::printf("%s/%s: %d stations, %d columns, %d days, %zu observation rows\n", folder.c_str(), PAGE_NAME,
              stations.Count(), ReportWriter(query).TotalColumns(), CountPeriods(query.period), rows.size());
  return 0;
}
