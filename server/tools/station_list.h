// The station list behind the viewer's pick lists: blocks, prefectures (or
// Hokkaido subprefectures) and stations, kept in the database so that the
// master files always match what the server holds.
#pragma once

#include <string>
#include <vector>

#include "server/database/connection.h"

struct StationEntry {
  std::string number;  // five digits
  std::string name;
  std::string prefectureCode;
  std::string prefectureName;
  std::string blockCode;
  std::string blockName;
};

// Reads a station list (UTF-8 text): one station a line, "number,name,
// prefecture code,prefecture name,block code,block name"; a first line
// whose number is not one is a heading. Returns false with `error` set to
// "SOURCE line N: reason" at the first malformed line.
bool ParseStationList(const std::string& text, const std::string& source, std::vector<StationEntry>& entries,
                      std::string& error);

// Adds the stations with their prefectures and blocks, or renames the ones
// the database has; a station may move to another prefecture. Run inside
// the caller's transaction. Returns false with `error` set.
bool SaveStationList(Connection& db, const std::vector<StationEntry>& entries, std::string& error);
