// The sample installation's geography: blocks, prefectures (Hokkaido by
// subprefecture) and observation stations, with the climate figures the
// weather generator draws each station's days from. Names are UTF-8.
#pragma once

#include <vector>

struct SampleBlock {
  const char* code;
  const char* name;
  double latitude;  // degrees north, for the length of the day
};

struct SamplePrefecture {
  const char* code;
  const char* name;
  const char* block;  // code of its block
};

// Where a station lies decides the season of its rain and sunshine.
enum class ClimateSide {
  Pacific,      // dry, sunny winters; rainy season and typhoons in summer
  JapanSea,     // snowy, overcast winters
  Inland,       // basins: large daily and yearly temperature ranges
  NorthEast,    // eastern Hokkaido: cool, no proper rainy season
  Subtropical   // the southern islands: early rainy season, typhoons
};

struct SampleStation {
  int number;  // five digits; the first two are its prefecture's code
  const char* name;
  const char* prefecture;  // code of its prefecture
  double meanTemp;         // yearly mean, degrees C
  double amplitude;        // half the difference between the warmest and coldest month
  double annualPrecip;     // mm
  ClimateSide side;
  double meanWind;  // m/s
  bool rainOnly;    // a rain gauge: every element but precipitation is missing
  int firstYear;    // 0: observing since before the sample's first year
};

const std::vector<SampleStation>& SampleStations();

// The prefecture of a code; nullptr when unknown.
const SamplePrefecture* PrefectureOfCode(const char* prefectureCode);

// The block of a prefecture code; the first block when unknown.
const SampleBlock& BlockOfPrefecture(const char* prefectureCode);
