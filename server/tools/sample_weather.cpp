#include "server/tools/sample_weather.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

using F = ObservationField;

constexpr double PI = 3.14159265358979323846;
constexpr double YEAR_DAYS = 365.25;
constexpr int WARMEST_DAY = 210;          // end of July
constexpr int LONGEST_DAY = 172;          // 21 June
constexpr double DROPOUT_CHANCE = 0.0015; // a single value lost in transmission
constexpr int DIRECTIONS = 16;
constexpr int NORTH_WEST = 14;
constexpr int SOUTH = 8;
constexpr int SOUTH_EAST = 6;

// A sensor out of order for a whole month.
struct Outage {
  int station;
  F field;
  int year;
  int month;
};
const Outage OUTAGES[] = {
    {48001, F::SunshineHours, 2001, 7},
    {32001, F::MeanWindSpeed, 2002, 2},
    {32001, F::MaxWindSpeed, 2002, 2},
    {32001, F::MaxWindDirection, 2002, 2},
    {32001, F::PrevailingWindDirection, 2002, 2},
};

// SplitMix64: small, fast, and the same sequence on every platform.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
  double Uniform(double low, double high) { return low + (high - low) * Uniform(); }
  double Normal() {
    double u = std::max(Uniform(), 1e-12);
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * PI * Uniform());
  }
  bool Chance(double p) { return Uniform() < p; }

 private:
  uint64_t state_;
};

int Clamp(long value) { return static_cast<int>(std::clamp<long>(value, -LARGEST_VALUE, LARGEST_VALUE)); }
int Tenths(double value) { return Clamp(std::lround(value * 10.0)); }

bool Between(int dayOfYear, int first, int last) { return dayOfYear >= first && dayOfYear <= last; }

// Chance of a wet day by season and side of the country.
double WetChance(ClimateSide side, int dayOfYear) {
  bool winter = dayOfYear < 60 || dayOfYear > 334;
  bool rainySeason = Between(dayOfYear, 156, 201);
  bool typhoons = Between(dayOfYear, 214, 280);
  switch (side) {
    case ClimateSide::Pacific:
      return 0.28 + (rainySeason ? 0.25 : 0) + (typhoons ? 0.08 : 0) - (winter ? 0.14 : 0);
    case ClimateSide::JapanSea:
      return 0.33 + (winter ? 0.30 : 0) + (rainySeason ? 0.15 : 0);
    case ClimateSide::Inland:
      return 0.26 + (rainySeason ? 0.22 : 0) + (typhoons ? 0.05 : 0) - (winter ? 0.12 : 0);
    case ClimateSide::NorthEast:
      return 0.26 + (Between(dayOfYear, 200, 280) ? 0.08 : 0) - (winter ? 0.06 : 0);
    case ClimateSide::Subtropical:
      return 0.34 + (Between(dayOfYear, 130, 172) ? 0.28 : 0) + (typhoons ? 0.10 : 0);
  }
  return 0.3;
}

double YearlyWetDays(ClimateSide side) {
  double sum = 0;
  for (int day = 1; day <= 365; ++day) sum += WetChance(side, day);
  return sum;
}

double DailyTempRange(ClimateSide side) {
  switch (side) {
    case ClimateSide::Inland: return 10.5;
    case ClimateSide::Subtropical: return 5.0;
    default: return 7.5;
  }
}

// Hours from sunrise to sunset.
double DayLength(double latitude, int dayOfYear) {
  double swing = 2.4 * latitude / 35.0;
  return 12.0 + swing * std::cos(2.0 * PI * (dayOfYear - LONGEST_DAY) / YEAR_DAYS);
}

// North-west monsoon in winter, southerlies in summer.
int SeasonalDirection(ClimateSide side, int dayOfYear) {
  if (dayOfYear < 90 || dayOfYear > 300) return NORTH_WEST;
  return side == ClimateSide::Pacific ? SOUTH : SOUTH_EAST;
}

int TurnDirection(int code, int steps) { return ((code - 1 + steps) % DIRECTIONS + DIRECTIONS) % DIRECTIONS + 1; }

// The weather of one station, day after day; holds the persistence of the
// temperature anomaly from one day to the next.
class StationWeather {
 public:
  explicit StationWeather(const SampleStation& station)
      : station_(station),
        latitude_(BlockOfPrefecture(station.prefecture).latitude),
        wetDayMean_(station.annualPrecip / YearlyWetDays(station.side)),
        random_(0x5EED0000ULL + static_cast<uint64_t>(station.number)) {}

  ObservationRecord Day(int year, int month, int day, int dayOfYear) {
    ObservationRecord record = DailyRecord(station_.number, year, month, day);

    double wetChance = WetChance(station_.side, dayOfYear);
    bool wet = random_.Chance(wetChance);
    double precipitation = wet ? -std::log(std::max(random_.Uniform(), 1e-9)) * wetDayMean_ : 0.0;
    if (wet && wetChance > 0.45 && random_.Chance(0.05)) precipitation *= 3.0;  // a storm
    AddRain(record, std::lround(precipitation));
    AddTemperature(record, dayOfYear, wet);
    AddSunshine(record, dayOfYear, wet);
    AddWind(record, dayOfYear, wet && precipitation > 30.0);
    if (station_.rainOnly) KeepRainOnly(record);
    DropValues(record);
    return record;
  }

 private:
  void AddRain(ObservationRecord& record, long millimetres) {
    At(record, F::Precipitation) = Clamp(millimetres);
    long hourly = millimetres > 0 ? std::max(1L, std::lround(millimetres * random_.Uniform(0.15, 0.5))) : 0;
    At(record, F::MaxHourlyPrecip) = Clamp(hourly);
  }

  void AddTemperature(ObservationRecord& record, int dayOfYear, bool wet) {
    anomaly_ = 0.7 * anomaly_ + random_.Normal() * (station_.side == ClimateSide::Inland ? 2.0 : 1.5);
    double mean = station_.meanTemp +
                  station_.amplitude * std::cos(2.0 * PI * (dayOfYear - WARMEST_DAY) / YEAR_DAYS) + anomaly_;
    double range = DailyTempRange(station_.side) * (wet ? 0.6 : 1.0) * random_.Uniform(0.8, 1.2);
    double high = mean + range * random_.Uniform(0.45, 0.6);
    double low = high - range;
    At(record, F::MeanTemp) = Tenths(mean);
    At(record, F::MaxTemp) = Tenths(high);
    At(record, F::MinTemp) = Tenths(low);
  }

  void AddSunshine(ObservationRecord& record, int dayOfYear, bool wet) {
    bool overcastWinter = station_.side == ClimateSide::JapanSea && (dayOfYear < 60 || dayOfYear > 320);
    double fraction = wet ? random_.Uniform(0.0, 0.3) : random_.Uniform(0.4, 0.95);
    if (overcastWinter) fraction *= 0.5;
    At(record, F::SunshineHours) = Tenths(DayLength(latitude_, dayOfYear) * fraction);
  }

  void AddWind(ObservationRecord& record, int dayOfYear, bool stormy) {
    bool windySeason = dayOfYear < 140 || dayOfYear > 320;
    double mean = station_.meanWind * (windySeason ? 1.15 : 0.85) * std::exp(0.3 * random_.Normal());
    if (stormy) mean *= 1.8;
    int meanTenths = Tenths(mean);
    int prevailing = meanTenths < 3 ? 0
                                    : TurnDirection(SeasonalDirection(station_.side, dayOfYear),
                                                    static_cast<int>(random_.Uniform(-3.0, 4.0)));
    long strongest = std::lround(mean * random_.Uniform(1.6, 2.6));
    int strongestDirection = strongest == 0 || prevailing == 0
                                 ? 0
                                 : TurnDirection(prevailing, static_cast<int>(random_.Uniform(-1.0, 2.0)));
    At(record, F::MeanWindSpeed) = meanTenths;
    At(record, F::MaxWindSpeed) = Clamp(strongest);
    At(record, F::MaxWindDirection) = strongestDirection;
    At(record, F::PrevailingWindDirection) = prevailing;
  }

  static void KeepRainOnly(ObservationRecord& record) {
    for (F field : DAILY_VALUES) {
      if (field != F::Precipitation && field != F::MaxHourlyPrecip) At(record, field) = MISSING_OBSERVATION;
    }
  }

  void DropValues(ObservationRecord& record) {
    for (F field : DAILY_VALUES) {
      if (random_.Chance(DROPOUT_CHANCE)) At(record, field) = MISSING_OBSERVATION;
    }
    for (const Outage& outage : OUTAGES) {
      if (outage.station == station_.number && outage.year == At(record, F::Year) &&
          outage.month == At(record, F::Period2)) {
        At(record, outage.field) = MISSING_OBSERVATION;
      }
    }
  }

  const SampleStation& station_;
  double latitude_;
  double wetDayMean_;
  Random random_;
  double anomaly_ = 0.0;
};

}  // namespace

std::vector<ObservationRecord> GenerateDailyRecords(const SampleStation& station) {
  std::vector<ObservationRecord> days;
  StationWeather weather(station);
  for (int year = SAMPLE_FIRST_YEAR; year <= SAMPLE_LAST_YEAR; ++year) {
    int dayOfYear = 0;
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= DaysInMonth(year, month); ++day) {
        ObservationRecord record = weather.Day(year, month, day, ++dayOfYear);
        if (year >= station.firstYear) days.push_back(record);
      }
    }
  }
  return days;
}
