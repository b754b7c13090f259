// The station picker's work on the master files and the two station lists,
// without the form: which block and prefecture a combo row stands for, which
// stations a prefecture lists, and the moves between the listed and the
// chosen stations. Lists are PairLists from station code to station name.
#pragma once

#include <string>

#include "viewer/base/pair_list.h"

constexpr const char* BLOCK_FILE = "M_BLOCK.dat";
constexpr const char* PREFECTURE_FILE = "M_TOFUKEN.dat";
constexpr const char* STATION_FILE = "M_CHITEN.dat";
constexpr const char* YEAR_FILE = "M_A_YEAR.dat";

// The code of the block at `blockRow` of M_BLOCK.dat into `code`. False,
// `code` empty, when there is no such row.
bool BlockCodeAtRow(int blockRow, std::string& code);

// The code of the prefecture at `prefectureRow` among the rows of
// M_TOFUKEN.dat of the block at `blockRow` into `code`. False, `code` empty,
// when either row does not exist.
bool PrefectureCodeAtRows(int blockRow, int prefectureRow, std::string& code);

// Refills `listed` with the stations of M_CHITEN.dat whose prefecture is
// `prefectureCode` and whose code is not in `chosen`.
void ListUnchosenStations(const char* prefectureCode, const PairList& chosen, PairList& listed);

// Adds the entries of `from` at the positions `rows` to `to`. Codes already in
// `to`, and entries beyond its capacity, are skipped.
void AddEntriesAt(const PairList& from, const int* rows, int rowCount, PairList& to);

// Removes the entries of `list` at the positions `rows` (ascending), walking
// from the highest down so the lower positions stay valid.
void RemoveEntriesAt(PairList& list, const int* rows, int rowCount);

// The text of a station list row: code, one blank, name.
std::string StationRowText(const PairList& list, int position);
