#include "server/tools/master_files.h"

#include <fstream>
#include <vector>

#include "server/text/text_encoding.h"

namespace {

constexpr const char* LINE_END = "\r\n";
const char* const PERIOD_TYPE_NAMES[] = {u8"日別値", u8"通年半旬別値", u8"暦日半旬別値",
                                         u8"旬別値", u8"月別値", u8"年別値"};
constexpr const char* STATION_LIST_HEADING = u8"地点番号,地点名,都府県,地方";

using Lines = std::vector<std::string>;

bool WriteLines(const std::string& path, const Lines& lines, std::string& error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) file << Utf8ToCp932(line) << LINE_END;
  file.close();
  if (!file) error = "cannot write " + path;
  return static_cast<bool>(file);
}

// The rows of `sql`, their values joined by ",".
bool QueryLines(Connection& db, const char* sql, Lines& lines, std::string& error) {
  return db.Run(sql, {},
                [&lines](const ResultRow& row) {
                  std::string line;
                  for (int i = 0; i < row.ColumnCount(); ++i) (line += i ? "," : "") += row.Text(i);
                  lines.push_back(line);
                },
                error);
}

bool YearLines(Connection& db, Lines& years, std::string& error) {
  int64_t first = 0, last = -1;
  bool read = db.Run("SELECT min(d2), max(d2) FROM st_data_h", {},
                     [&](const ResultRow& row) {
                       if (row.IsNull(0)) return;
                       first = row.Integer(0);
                       last = row.Integer(1);
                     },
                     error);
  for (int64_t year = first; year <= last; ++year) years.push_back(std::to_string(year) + "," + std::to_string(year));
  return read;
}

}  // namespace

bool WriteMasterFiles(Connection& db, const std::string& folder, std::string& error) {
  Lines blocks, prefectures, stations, periodTypes, years, stationList = {STATION_LIST_HEADING};
  for (int type = 1; type <= 6; ++type) periodTypes.push_back(std::to_string(type) + "," + PERIOD_TYPE_NAMES[type - 1]);
  return QueryLines(db, "SELECT block_code, block_name FROM block_mt ORDER BY block_code", blocks, error) &&
         QueryLines(db,
                    "SELECT prefecture_code, prefecture_name, block_code FROM prefecture_mt "
                    "ORDER BY block_code, prefecture_code",
                    prefectures, error) &&
         QueryLines(db,
                    "SELECT s.station_no, s.station_name, s.prefecture_code FROM station_mt s "
                    "JOIN prefecture_mt p ON p.prefecture_code = s.prefecture_code "
                    "ORDER BY p.block_code, s.prefecture_code, s.station_no",
                    stations, error) &&
         QueryLines(db,
                    "SELECT s.station_no, s.station_name, p.prefecture_name, b.block_name FROM station_mt s "
                    "JOIN prefecture_mt p ON p.prefecture_code = s.prefecture_code "
                    "JOIN block_mt b ON b.block_code = p.block_code "
                    "ORDER BY p.block_code, s.prefecture_code, s.station_no",
                    stationList, error) &&
         YearLines(db, years, error) && WriteLines(folder + "/M_BLOCK.dat", blocks, error) &&
         WriteLines(folder + "/M_TOFUKEN.dat", prefectures, error) &&
         WriteLines(folder + "/M_CHITEN.dat", stations, error) &&
         WriteLines(folder + "/M_KISYU.dat", periodTypes, error) &&
         WriteLines(folder + "/M_A_YEAR.dat", years, error) &&
         WriteLines(folder + "/Chiten.csv", stationList, error);
}
