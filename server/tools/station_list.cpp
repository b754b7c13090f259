#include "server/tools/station_list.h"

#include "server/tools/import_text.h"

namespace {

constexpr size_t STATION_FIELDS = 6;
constexpr size_t STATION_NUMBER_DIGITS = 5;

bool IsStationNumber(const std::string& text) {
  return text.size() == STATION_NUMBER_DIGITS && text.find_first_not_of("0123456789") == std::string::npos;
}

// A code or name of the master files: not empty, and free of the "," that
// separates their fields.
bool IsMasterText(const std::string& text) { return !text.empty() && text.find(',') == std::string::npos; }

}  // namespace

bool ParseStationList(const std::string& text, const std::string& source, std::vector<StationEntry>& entries,
                      std::string& error) {
  entries.clear();
  std::vector<std::string_view> lines = TextLines(text);
  std::vector<std::string> fields;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string where = source + " line " + std::to_string(i + 1) + ": ";
    if (lines[i].empty()) continue;
    if (!SplitFields(lines[i], fields)) {
      error = where + "an unclosed quote";
      return false;
    }
    if (i == 0 && !fields.empty() && !IsStationNumber(fields[0])) continue;
    if (fields.size() != STATION_FIELDS) {
      error = where + "expected 6 fields (number, name, prefecture code and name, block code and name)";
      return false;
    }
    if (!IsStationNumber(fields[0])) {
      error = where + "a station number is five digits";
      return false;
    }
    for (size_t f = 1; f < STATION_FIELDS; ++f) {
      if (!IsMasterText(fields[f])) {
        error = where + "field " + std::to_string(f + 1) + " is empty or holds a comma";
        return false;
      }
    }
    entries.push_back({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]});
  }
  if (entries.empty()) error = source + ": no stations";
  return !entries.empty();
}

bool SaveStationList(Connection& db, const std::vector<StationEntry>& entries, std::string& error) {
  for (const StationEntry& entry : entries) {
    bool saved =
        db.Run("INSERT INTO block_mt(block_code, block_name) VALUES ($1, $2) "
               "ON CONFLICT (block_code) DO UPDATE SET block_name = excluded.block_name",
               {entry.blockCode, entry.blockName}, nullptr, error) &&
        db.Run("INSERT INTO prefecture_mt(prefecture_code, prefecture_name, block_code) VALUES ($1, $2, $3) "
               "ON CONFLICT (prefecture_code) DO UPDATE SET prefecture_name = excluded.prefecture_name, "
               "block_code = excluded.block_code",
               {entry.prefectureCode, entry.prefectureName, entry.blockCode}, nullptr, error) &&
        db.Run("INSERT INTO station_mt(station_no, station_name, prefecture_code) VALUES ($1, $2, $3) "
               "ON CONFLICT (station_no) DO UPDATE SET station_name = excluded.station_name, "
               "prefecture_code = excluded.prefecture_code",
               {entry.number, entry.name, entry.prefectureCode}, nullptr, error);
    if (!saved) return false;
  }
  return true;
}
