#include "server/weather/observation_tables.h"

#include <strings.h>

namespace {

using F = ObservationField;

std::vector<ObservationTable> MakeTables() {
  const std::vector<F> daily = {
      F::Station, F::DayOfYear, F::Year, F::Period2, F::YearPentad, F::MonthPentad,
      F::TenDay, F::Period3, F::Precipitation, F::MaxHourlyPrecip, F::MeanWindSpeed,
      F::MaxWindSpeed, F::MaxWindDirection, F::PrevailingWindDirection, F::MeanTemp,
      F::MaxTemp, F::MinTemp, F::SunshineHours};
  const std::vector<F> yearPentad = {
      F::Station, F::Year, F::Period2, F::Precipitation, F::MaxDailyPrecip,
      F::MaxDailyPrecipMonth, F::MaxDailyPrecipDay, F::MaxHourlyPrecip, F::MaxHourlyPrecipMonth,
      F::MaxHourlyPrecipDay, F::MeanWindSpeed, F::MaxWindSpeed, F::MaxWindDirection,
      F::MaxWindMonth, F::MaxWindDay, F::PrevailingWindDirection, F::MeanTemp,
      F::AccumulatedTemp, F::MaxTemp, F::MaxTempMonth, F::MaxTempDay, F::MeanMaxTemp,
      F::MinTemp, F::MinTempMonth, F::MinTempDay, F::MeanMinTemp, F::SunshineHours};
  // Pentads and ten-day parts of a month: extremes carry only their day.
  const std::vector<F> monthPart = {
      F::Station, F::Year, F::Period2, F::Period3, F::Precipitation, F::MaxDailyPrecip,
      F::MaxDailyPrecipDay, F::MaxHourlyPrecip, F::MaxHourlyPrecipDay, F::MeanWindSpeed,
      F::MaxWindSpeed, F::MaxWindDirection, F::MaxWindDay, F::PrevailingWindDirection,
      F::MeanTemp, F::AccumulatedTemp, F::MaxTemp, F::MaxTempDay, F::MeanMaxTemp,
      F::MinTemp, F::MinTempDay, F::MeanMinTemp, F::SunshineHours};
  const std::vector<F> monthly = {
      F::Station, F::Year, F::Period2, F::Precipitation, F::MaxDailyPrecip,
      F::MaxDailyPrecipDay, F::MaxHourlyPrecip, F::MaxHourlyPrecipDay, F::MeanWindSpeed,
      F::MaxWindSpeed, F::MaxWindDirection, F::MaxWindDay, F::PrevailingWindDirection,
      F::MeanTemp, F::AccumulatedTemp, F::MaxTemp, F::MaxTempDay, F::MeanMaxTemp,
      F::MinTemp, F::MinTempDay, F::MeanMinTemp, F::SunshineHours};
  const std::vector<F> yearly = {
      F::Station, F::Year, F::Precipitation, F::MaxDailyPrecip, F::MaxDailyPrecipMonth,
      F::MaxDailyPrecipDay, F::MaxHourlyPrecip, F::MaxHourlyPrecipMonth, F::MaxHourlyPrecipDay,
      F::MeanWindSpeed, F::MaxWindSpeed, F::MaxWindDirection, F::MaxWindMonth, F::MaxWindDay,
      F::PrevailingWindDirection, F::MeanTemp, F::AccumulatedTemp, F::MaxTemp,
      F::MaxTempMonth, F::MaxTempDay, F::MeanMaxTemp, F::MinTemp, F::MinTempMonth,
      F::MinTempDay, F::MeanMinTemp, F::SunshineHours};
  return {{"st_data_h", daily},      {"st_data_th", yearPentad}, {"st_data_rh", monthPart},
          {"st_data_j", monthPart},  {"st_data_t", monthly},     {"st_data_n", yearly}};
}

}  // namespace

const std::vector<ObservationTable>& ObservationTables() {
  static const std::vector<ObservationTable> tables = MakeTables();
  return tables;
}

const ObservationTable* FindObservationTable(const std::string& name) {
  for (const ObservationTable& table : ObservationTables()) {
    if (strcasecmp(table.name, name.c_str()) == 0) return &table;
  }
  return nullptr;
}

std::string ObservationColumnName(size_t index) {
  return index == 0 ? "sChiten" : "d" + std::to_string(index);
}

std::vector<size_t> KeyColumns(const ObservationTable& table) {
  std::vector<size_t> key = {0};
  for (ObservationField field : {ObservationField::Year, ObservationField::Period2, ObservationField::Period3}) {
    for (size_t i = 0; i < table.columns.size(); ++i) {
      if (table.columns[i] == field) key.push_back(i);
    }
  }
  return key;
}
