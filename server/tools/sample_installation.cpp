#include "server/tools/sample_installation.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "server/accounts/password_hash.h"
#include "server/database/connection.h"
#include "server/store/schema.h"
#include "server/tools/sample_stations.h"
#include "server/tools/sample_weather.h"
#include "server/tools/station_list.h"
#include "server/weather/observation_tables.h"

namespace {

// Every table's records, all stations one after the other, for one bulk
// insert per table.
bool FillObservations(Connection& db, std::string& error) {
  const std::vector<ObservationTable>& tables = ObservationTables();
  std::vector<std::vector<int>> values(tables.size());
  for (const SampleStation& station : SampleStations()) {
    std::vector<ObservationRecord> days = GenerateDailyRecords(station);
    for (size_t i = 0; i < tables.size(); ++i) {
      std::vector<ObservationRecord> records = i == 0 ? days : SummarizeDays(days, SUMMARY_PERIODS[i - 1]);
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

// The sample's stations as a station list, blocks and prefectures named.
std::vector<StationEntry> SampleStationList() {
  std::vector<StationEntry> entries;
  for (const SampleStation& station : SampleStations()) {
    const SamplePrefecture& prefecture = *PrefectureOfCode(station.prefecture);
    const SampleBlock& block = BlockOfPrefecture(station.prefecture);
    entries.push_back(
        {std::to_string(station.number), station.name, prefecture.code, prefecture.name, block.code, block.name});
  }
  return entries;
}

bool FillAccounts(Connection& db, std::string& error) {
  std::string hash;
  return HashPassword(DEMO_PASSWORD, hash, error) &&
         db.Run("INSERT INTO client_mt(client_no, user_id, password) VALUES ($1, $2, $3)",
                {DEMO_CLIENT_NO, DEMO_USER_ID, hash}, nullptr, error);
}

// Creates the schema and fills it in one transaction each; on failure the
// fill is rolled back.
bool FillDatabase(Connection& db, std::string& error) {
  return CreateSchema(db, error) &&
         RunInTransaction(
             db,
             [&db](std::string& failure) {
               return FillAccounts(db, failure) && SaveStationList(db, SampleStationList(), failure) &&
                      FillObservations(db, failure);
             },
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

}  // namespace

bool WriteSampleDatabase(const std::string& database, std::string& error) {
  if (!IsPostgresTarget(database)) return WriteSampleFile(database, error);
  std::unique_ptr<Connection> db = OpenConnection(database, ConnectionUse::Administration, error);
  return db && FillDatabase(*db, error);
}
