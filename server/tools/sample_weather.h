// Deterministic sample observations: plausible daily weather for each sample
// station (its summaries come from server/weather/daily_summaries.h). The
// same build always gives the same values.
#pragma once

#include <vector>

#include "server/tools/sample_stations.h"
#include "server/weather/daily_summaries.h"

constexpr int SAMPLE_FIRST_YEAR = 1999;
constexpr int SAMPLE_LAST_YEAR = 2003;

// One record per observed day of the station, in date order, from its first
// year (or SAMPLE_FIRST_YEAR) to the end of SAMPLE_LAST_YEAR. Temperatures,
// mean wind speed and sunshine are in tenths; precipitation in mm; the
// strongest wind in m/s; directions are codes 0 (calm) and 1..16.
std::vector<ObservationRecord> GenerateDailyRecords(const SampleStation& station);
