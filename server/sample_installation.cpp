#include "server/sample_installation.h"

#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "server/norda_database.h"
#include "server/observation_tables.h"
#include "server/sample_stations.h"
#include "server/sample_weather.h"
#include "server/text_encoding.h"

namespace {

constexpr const char* LINE_END = "\r\n";

const char* const PERIOD_TYPE_NAMES[] = {u8"日別値", u8"通年半旬別値", u8"暦日半旬別値",
                                         u8"旬別値", u8"月別値", u8"年別値"};

// The records of each table, in the order of ObservationTables().
const SummaryPeriod SUMMARY_OF_TABLE[] = {SummaryPeriod::YearPentad, SummaryPeriod::MonthPentad,
                                          SummaryPeriod::TenDay, SummaryPeriod::Month, SummaryPeriod::Year};

class Database {
 public:
  ~Database() { Close(); }
  bool Open(const std::string& path) { return sqlite3_open(path.c_str(), &db_) == SQLITE_OK; }
  void Close() {
    sqlite3_close(db_);
    db_ = nullptr;
  }
  sqlite3* Handle() const { return db_; }
  std::string Error() const { return db_ ? sqlite3_errmsg(db_) : "out of memory"; }
  bool Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

 private:
  sqlite3* db_ = nullptr;
};

class Inserter {
 public:
  Inserter(sqlite3* db, const ObservationTable& table) : table_(table) {
    std::string sql = std::string("INSERT INTO ") + table.name + " VALUES (";
    for (size_t i = 0; i < table.columns.size(); ++i) sql += i == 0 ? "?" : ",?";
    sql += ")";
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr);
  }
  ~Inserter() { sqlite3_finalize(stmt_); }

  bool Insert(const ObservationRecord& record) {
    if (stmt_ == nullptr) return false;
    for (size_t i = 0; i < table_.columns.size(); ++i) {
      sqlite3_bind_int(stmt_, static_cast<int>(i) + 1, At(record, table_.columns[i]));
    }
    bool done = sqlite3_step(stmt_) == SQLITE_DONE;
    sqlite3_reset(stmt_);
    return done;
  }

 private:
  const ObservationTable& table_;
  sqlite3_stmt* stmt_ = nullptr;
};

bool InsertAll(Inserter& inserter, const std::vector<ObservationRecord>& records) {
  for (const ObservationRecord& record : records) {
    if (!inserter.Insert(record)) return false;
  }
  return true;
}

bool FillObservations(sqlite3* db) {
  const std::vector<ObservationTable>& tables = ObservationTables();
  std::vector<Inserter> inserters;
  inserters.reserve(tables.size());
  for (const ObservationTable& table : tables) inserters.emplace_back(db, table);
  for (const SampleStation& station : SampleStations()) {
    std::vector<ObservationRecord> days = GenerateDailyRecords(station);
    if (!InsertAll(inserters[0], days)) return false;
    for (size_t i = 1; i < tables.size(); ++i) {
      if (!InsertAll(inserters[i], SummarizeDays(days, SUMMARY_OF_TABLE[i - 1]))) return false;
    }
  }
  return true;
}

bool FillAccounts(Database& db) {
  std::string sql = std::string("INSERT INTO client_mt(client_no, user_id, password) VALUES ('") +
                    DEMO_CLIENT_NO + "','" + DEMO_USER_ID + "','" + DEMO_PASSWORD + "')";
  return db.Exec(sql.c_str());
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

bool WriteSampleDatabase(const std::string& path, std::string& error) {
  std::string building = path + ".building";
  std::remove(building.c_str());
  {
    Database db;
    if (!db.Open(building)) {
      error = "cannot create " + building + ": " + db.Error();
      return false;
    }
    bool written = db.Exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN") &&
                   CreateSchema(db.Handle(), error) && FillAccounts(db) && FillObservations(db.Handle()) &&
                   db.Exec("COMMIT; ANALYZE");
    if (!written) {
      if (error.empty()) error = "cannot fill " + building + ": " + db.Error();
      db.Close();
      std::remove(building.c_str());
      return false;
    }
  }
  if (std::rename(building.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path;
    std::remove(building.c_str());
    return false;
  }
  return true;
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
