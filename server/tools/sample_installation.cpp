#include "server/tools/sample_installation.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "server/accounts/password_hash.h"
#include "server/store/connection.h"
#include "server/store/schema.h"
#include "server/weather/observation_tables.h"
#include "server/tools/sample_stations.h"
#include "server/tools/sample_weather.h"
#include "server/protocol/text_encoding.h"

namespace {

constexpr const char* LINE_END = "\r\n";

const char* const PERIOD_TYPE_NAMES[] = {u8"日別値", u8"通年半旬別値", u8"暦日半旬別値",
                                         u8"旬別値", u8"月別値", u8"年別値"};

// The records of each table, in the order of ObservationTables().
const SummaryPeriod SUMMARY_OF_TABLE[] = {SummaryPeriod::YearPentad, SummaryPeriod::MonthPentad,
                                          SummaryPeriod::TenDay, SummaryPeriod::Month, SummaryPeriod::Year};

// Every table's records, all stations one after the other, for one bulk
// insert per table.
bool FillObservations(Connection& db, std::string& error) {
  const std::vector<ObservationTable>& tables = ObservationTables();
  std::vector<std::vector<int>> values(tables.size());
  for (const SampleStation& station : SampleStations()) {
    std::vector<ObservationRecord> days = GenerateDailyRecords(station);
    for (size_t i = 0; i < tables.size(); ++i) {
      std::vector<ObservationRecord> records = i == 0 ? days : SummarizeDays(days, SUMMARY_OF_TABLE[i - 1]);
      for (const ObservationRecord& record : records) {
        for (ObservationField field : tables[i].columns) values[i].push_back(At(record, field));
      }
    }
  }
  for (size_t i = 0; i < tables.size(); ++i) {
    if (!db.InsertIntegerRows(tables[i].name, tables[i].columns.size(), values[i], error)) return false;
  }
  return true;
}

bool FillAccounts(Connection& db, std::string& error) {
  return db.Run("INSERT INTO client_mt(client_no, user_id, password) VALUES ($1, $2, $3)",
                {DEMO_CLIENT_NO, DEMO_USER_ID, HashPassword(DEMO_PASSWORD)}, nullptr, error);
}

// Creates the schema and fills it in one transaction each; on failure the
// fill is rolled back.
bool FillDatabase(Connection& db, std::string& error) {
  return CreateSchema(db, error) &&
         RunInTransaction(
             db, [&db](std::string& failure) { return FillAccounts(db, failure) && FillObservations(db, failure); },
             error) &&
         db.Exec("ANALYZE", error);
}

// A SQLite file is written beside its place and moved there once complete.
bool WriteSampleFile(const std::string& path, std::string& error) {
  std::string building = path + ".building";
  std::remove(building.c_str());
  bool written;
  {
    std::unique_ptr<Connection> db = OpenConnection(building, ConnectionUse::Administration, error);
    written = db && db->Exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", error) &&
              FillDatabase(*db, error);
  }
  if (written && std::rename(building.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path;
    written = false;
  }
  if (!written) std::remove(building.c_str());
  return written;
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines, std::string& error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) file << Utf8ToCp932(line) << LINE_END;
  file.close();
  if (!file) error = "cannot write " + path;
  return static_cast<bool>(file);
}

std::string PrefectureName(const char* code) {
  const SamplePrefecture* prefecture = PrefectureOfCode(code);
  return prefecture != nullptr ? prefecture->name : "";
}

}  // namespace

bool WriteSampleDatabase(const std::string& database, std::string& error) {
  if (!IsPostgresTarget(database)) return WriteSampleFile(database, error);
  std::unique_ptr<Connection> db = OpenConnection(database, ConnectionUse::Administration, error);
  return db && FillDatabase(*db, error);
}

bool WriteMasterFiles(const std::string& folder, std::string& error) {
  std::vector<std::string> blocks, prefectures, stations, periodTypes, years;
  std::vector<std::string> stationList = {u8"地点番号,地点名,都府県,地方"};
  for (const SampleBlock& block : SampleBlocks()) blocks.push_back(std::string(block.code) + "," + block.name);
  for (const SamplePrefecture& prefecture : SamplePrefectures()) {
    prefectures.push_back(std::string(prefecture.code) + "," + prefecture.name + "," + prefecture.block);
  }
  for (const SampleStation& station : SampleStations()) {
    std::string number = std::to_string(station.number);
    stations.push_back(number + "," + station.name + "," + station.prefecture);
    stationList.push_back(number + "," + station.name + "," + PrefectureName(station.prefecture) + "," +
                          BlockOfPrefecture(station.prefecture).name);
  }
  for (int type = 1; type <= 6; ++type) periodTypes.push_back(std::to_string(type) + "," + PERIOD_TYPE_NAMES[type - 1]);
  for (int year = SAMPLE_FIRST_YEAR; year <= SAMPLE_LAST_YEAR; ++year) {
    years.push_back(std::to_string(year) + "," + std::to_string(year));
  }
  return WriteLines(folder + "/M_BLOCK.dat", blocks, error) &&
         WriteLines(folder + "/M_TOFUKEN.dat", prefectures, error) &&
         WriteLines(folder + "/M_CHITEN.dat", stations, error) &&
         WriteLines(folder + "/M_KISYU.dat", periodTypes, error) &&
         WriteLines(folder + "/M_A_YEAR.dat", years, error) &&
         WriteLines(folder + "/Chiten.csv", stationList, error);
}
