#include "server/tools/daily_import.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "server/tools/import_text.h"

namespace {

using F = ObservationField;

constexpr const char* DATE = "date";
constexpr int LAST_YEAR = 9999;
constexpr int FULL_CIRCLE_DEGREES = 360;
constexpr double DEGREES_PER_DIRECTION = 22.5;
constexpr int DIRECTIONS = 16;
constexpr int CALM = 0;

// How an element's SI value becomes the table's integer.
enum class Unit {
  Whole,    // rounded to a whole number
  Tenths,   // rounded to tenths, kept as tenths
  Direction // degrees to a 16-point code
};

struct Element {
  const char* name;
  F field;
  Unit unit;
};

const Element ELEMENTS[] = {
    {"precipitation", F::Precipitation, Unit::Whole},
    {"max_hourly_precipitation", F::MaxHourlyPrecip, Unit::Whole},
    {"mean_wind", F::MeanWindSpeed, Unit::Tenths},
    {"max_wind", F::MaxWindSpeed, Unit::Whole},
    {"max_wind_direction", F::MaxWindDirection, Unit::Direction},
    {"prevailing_wind_direction", F::PrevailingWindDirection, Unit::Direction},
    {"mean_temperature", F::MeanTemp, Unit::Tenths},
    {"max_temperature", F::MaxTemp, Unit::Tenths},
    {"min_temperature", F::MinTemp, Unit::Tenths},
    {"sunshine", F::SunshineHours, Unit::Tenths},
};

bool IsAbsent(const std::string& value) {
  return value.empty() || strcasecmp(value.c_str(), "NA") == 0 || strcasecmp(value.c_str(), "NaN") == 0;
}

// A decimal number as written ("-3", "12.85") scaled by 10^`decimals` and
// rounded there, halves away from zero; false for anything else or a value
// beyond the table's range.
bool ReadDecimal(const std::string& text, int decimals, long& scaled) {
  size_t pos = text[0] == '-' || text[0] == '+' ? 1 : 0;
  size_t point = text.find('.');
  std::string whole = text.substr(pos, point == std::string::npos ? std::string::npos : point - pos);
  std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
  if ((whole.empty() && fraction.empty()) || whole.size() > 9) return false;
  for (const std::string& digits : {whole, fraction}) {
    if (digits.find_first_not_of("0123456789") != std::string::npos) return false;
  }
  fraction.resize(decimals + 1, '0');
  long magnitude = whole.empty() ? 0 : std::stol(whole);
  for (int i = 0; i < decimals; ++i) magnitude = magnitude * 10 + (fraction[i] - '0');
  if (fraction[decimals] >= '5') ++magnitude;
  scaled = text[0] == '-' ? -magnitude : magnitude;
  return magnitude <= LARGEST_VALUE;
}

// The 16-point code of a direction in degrees: 0 calm, 1 north-north-east
// (22.5) ... 16 north (360).
bool DirectionCode(const std::string& text, int& code) {
  long tenths = 0;
  if (!ReadDecimal(text, 1, tenths) || tenths < 0 || tenths > FULL_CIRCLE_DEGREES * 10) return false;
  if (tenths == 0) {
    code = CALM;
    return true;
  }
  long steps = std::lround(tenths / 10.0 / DEGREES_PER_DIRECTION);
  code = static_cast<int>((steps + DIRECTIONS - 1) % DIRECTIONS) + 1;
  return true;
}

bool ConvertValue(const Element& element, const std::string& text, int& value) {
  if (element.unit == Unit::Direction) return DirectionCode(text, value);
  long scaled = 0;
  if (!ReadDecimal(text, element.unit == Unit::Tenths ? 1 : 0, scaled)) return false;
  value = static_cast<int>(scaled);
  return true;
}

// "YYYY-MM-DD" or "YYYY/MM/DD".
bool ReadDate(const std::string& text, int& year, int& month, int& day) {
  if (text.size() != 10 || (text[4] != '-' && text[4] != '/') || text[7] != text[4]) return false;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  year = std::stoi(text.substr(0, 4));
  month = std::stoi(text.substr(5, 2));
  day = std::stoi(text.substr(8, 2));
  return IsDate(year, month, day) && year <= LAST_YEAR;
}

int DateKey(const ObservationRecord& day) {
  return At(day, F::Year) * 10000 + At(day, F::Period2) * 100 + At(day, F::Period3);
}

// Where each mapped element stands among the heading's columns.
bool LocateColumns(const std::vector<std::string>& heading, const ColumnMap& map, std::map<std::string, size_t>& at,
                   std::string& error) {
  for (const auto& [element, column] : map) {
    for (size_t i = 0; i < heading.size(); ++i) {
      if (heading[i] == column) at[element] = i;
    }
  }
  if (at.count(DATE) == 0) {
    error = "no column \"" + map.at(DATE) + "\" for the date";
    return false;
  }
  return true;
}

bool ReadDay(const std::vector<std::string>& fields, const std::map<std::string, size_t>& at, int station,
             ObservationRecord& record, std::string& error) {
  int year = 0, month = 0, day = 0;
  if (at.at(DATE) >= fields.size() || !ReadDate(fields[at.at(DATE)], year, month, day)) {
    error = "not a date";
    return false;
  }
  record = DailyRecord(station, year, month, day);
  for (const Element& element : ELEMENTS) {
    auto column = at.find(element.name);
    if (column == at.end() || column->second >= fields.size() || IsAbsent(fields[column->second])) continue;
    if (!ConvertValue(element, fields[column->second], At(record, element.field))) {
      error = std::string(element.name) + " \"" + fields[column->second] + "\" is not a number in range";
      return false;
    }
  }
  return true;
}

std::string ColumnList(const ObservationTable& table) {
  std::string list;
  for (size_t i = 0; i < table.columns.size(); ++i) list += (i ? ", " : "") + ObservationColumnName(i);
  return list;
}

std::vector<int> TableValues(const ObservationTable& table, const std::vector<ObservationRecord>& records) {
  std::vector<int> values;
  for (const ObservationRecord& record : records) {
    for (F field : table.columns) values.push_back(At(record, field));
  }
  return values;
}

// The station's daily rows of `year`, in date order.
bool ReadYear(Connection& db, int station, int year, std::vector<ObservationRecord>& days, std::string& error) {
  const ObservationTable& daily = ObservationTables()[0];
  return db.Run("SELECT " + ColumnList(daily) + " FROM st_data_h WHERE sChiten = $1 AND d2 = $2 ORDER BY d3, d7",
                {int64_t{station}, int64_t{year}},
                [&](const ResultRow& row) {
                  ObservationRecord record{};
                  for (size_t i = 0; i < daily.columns.size(); ++i) {
                    At(record, daily.columns[i]) = static_cast<int>(row.Integer(static_cast<int>(i)));
                  }
                  days.push_back(record);
                },
                error);
}

// The summary rows of one year, computed again from its daily rows.
bool ResummarizeYear(Connection& db, int station, int year, std::string& error) {
  std::vector<ObservationRecord> days;
  if (!ReadYear(db, station, year, days, error)) return false;
  const std::vector<ObservationTable>& tables = ObservationTables();
  for (size_t i = 1; i < tables.size(); ++i) {
    const ObservationTable& table = tables[i];
    std::string remove = std::string("DELETE FROM ") + table.name + " WHERE sChiten = $1 AND d1 = $2";
    if (!db.Run(remove, {int64_t{station}, int64_t{year}}, nullptr, error) ||
        !db.InsertIntegerRows(table.name, table.columns.size(), TableValues(table, SummarizeDays(days, SUMMARY_PERIODS[i - 1])),
                              error)) {
      return false;
    }
  }
  return true;
}

bool IsListedStation(Connection& db, int station, std::string& error) {
  char number[16];
  snprintf(number, sizeof number, "%05d", station);
  bool listed = false;
  if (!db.Run("SELECT 1 FROM station_mt WHERE station_no = $1", {std::string(number)},
              [&listed](const ResultRow&) { listed = true; }, error)) {
    return false;
  }
  if (!listed) error = std::string("station ") + number + " is not in the station list (import-stations first)";
  return listed;
}

}  // namespace

ColumnMap DefaultColumnMap() {
  ColumnMap map = {{DATE, DATE}};
  for (const Element& element : ELEMENTS) map[element.name] = element.name;
  return map;
}

bool ParseColumnMap(const std::string& text, ColumnMap& map, std::string& error) {
  map = DefaultColumnMap();
  std::vector<std::string> pairs;
  if (!SplitFields(text, pairs)) pairs = {text};
  for (const std::string& pair : pairs) {
    size_t equals = pair.find('=');
    std::string element = pair.substr(0, equals);
    if (equals == std::string::npos || map.count(element) == 0 || equals + 1 == pair.size()) {
      error = "--columns: \"" + pair + "\" is not element=column with a known element";
      return false;
    }
    map[element] = pair.substr(equals + 1);
  }
  return true;
}

bool ParseDailyFile(const std::string& text, const std::string& source, int station, const ColumnMap& map,
                    std::vector<ObservationRecord>& days, std::string& error) {
  days.clear();
  std::vector<std::string_view> lines = TextLines(text);
  std::vector<std::string> fields;
  std::map<std::string, size_t> at;
  if (lines.empty() || !SplitFields(lines[0], fields) || !LocateColumns(fields, map, at, error)) {
    error = source + " line 1: " + (error.empty() ? "no heading" : error);
    return false;
  }
  std::set<int> seen;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    std::string reason;
    ObservationRecord record;
    if (!SplitFields(lines[i], fields)) {
      reason = "an unclosed quote";
    } else if (ReadDay(fields, at, station, record, reason) && !seen.insert(DateKey(record)).second) {
      reason = "a second line for " + fields[at[DATE]];
    }
    if (!reason.empty()) {
      error = source + " line " + std::to_string(i + 1) + ": " + reason;
      return false;
    }
    days.push_back(record);
  }
  if (days.empty()) {
    error = source + ": no days";
    return false;
  }
  std::sort(days.begin(), days.end(),
            [](const ObservationRecord& a, const ObservationRecord& b) { return DateKey(a) < DateKey(b); });
  return true;
}

bool SaveDailyRecords(Connection& db, int station, const std::vector<ObservationRecord>& days, std::string& error) {
  const ObservationTable& daily = ObservationTables()[0];
  if (!IsListedStation(db, station, error) ||
      !db.Run("DELETE FROM st_data_h WHERE sChiten = $1 AND d2 * 10000 + d3 * 100 + d7 BETWEEN $2 AND $3",
              {int64_t{station}, int64_t{DateKey(days.front())}, int64_t{DateKey(days.back())}}, nullptr, error) ||
      !db.InsertIntegerRows(daily.name, daily.columns.size(), TableValues(daily, days), error)) {
    return false;
  }
  for (int year = At(days.front(), F::Year); year <= At(days.back(), F::Year); ++year) {
    if (!ResummarizeYear(db, station, year, error)) return false;
  }
  return true;
}
