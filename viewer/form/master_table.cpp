#include "viewer/form/master_table.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* OPEN_FAILURE_START = "マスターファイル[";
constexpr const char* OPEN_FAILURE_END = "]は、オープンできません。";

// Fields of a record that take part; later ones are ignored.
enum Field { CODE_FIELD, NAME_FIELD, PARENT_KEY_FIELD, GROUP_KEY_FIELD, FIELD_COUNT };

struct Record {
  std::string fields[FIELD_COUNT];
};

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Reads one record: at most MASTER_RECORD_MAX bytes, through the line feed
// when it fits. `endedLine` tells whether the read reached the line feed.
// False at end of file or on a read error.
bool ReadRecord(std::FILE* file, std::string& text, bool& endedLine) {
  text.clear();
  endedLine = false;
  while (text.size() < MASTER_RECORD_MAX) {
    int c = std::fgetc(file);
    if (c == EOF) break;
    text += static_cast<char>(c);
    if (c == '\n') {
      endedLine = true;
      break;
    }
  }
  return !text.empty();
}

// Splits a record at every ","; CR and LF are dropped. A zero byte ends the
// record, as it ends the text the record was read as.
Record SplitRecord(const std::string& text) {
  Record record;
  int field = CODE_FIELD;
  for (const char* p = text.c_str(); *p != '\0'; ++p) {
    if (IsLineEnd(*p)) continue;
    if (*p == ',') {
      if (++field == FIELD_COUNT) break;
      continue;
    }
    record.fields[field] += *p;
  }
  return record;
}

bool OnlyLineEnds(const std::string& text) {
  for (const char* p = text.c_str(); *p != '\0'; ++p) {
    if (!IsLineEnd(*p)) return false;
  }
  return true;
}

bool Matches(const std::string& field, const char* filter) { return filter == nullptr || field == filter; }

std::string At(const std::vector<std::string>& column, int row) {
  return row < 0 || row >= static_cast<int>(column.size()) ? std::string() : column[row];
}

}  // namespace

MasterTable::MasterTable(const char* path, const char* parentKey, const char* groupKey) {
  std::string ignored;
  Load(path, parentKey, groupKey, ignored);
}

bool MasterTable::Load(const char* path, const char* parentKey, const char* groupKey, std::string& error) {
  codes.clear();
  names.clear();
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) {
    error = std::string(OPEN_FAILURE_START) + path + OPEN_FAILURE_END;
    return false;
  }
  std::string text;
  bool previousEndedLine = true;
  bool endedLine = false;
  while (Count() < MASTER_ROWS && ReadRecord(file, text, endedLine)) {
    // A line exactly one read long leaves its line end for the next read;
    // that remainder is the end of the same line, not an empty record.
    bool remainder = !previousEndedLine && OnlyLineEnds(text);
    previousEndedLine = endedLine;
    if (remainder) continue;
    Record record = SplitRecord(text);
    if (Matches(record.fields[PARENT_KEY_FIELD], parentKey) && Matches(record.fields[GROUP_KEY_FIELD], groupKey)) {
      codes.push_back(record.fields[CODE_FIELD]);
      names.push_back(record.fields[NAME_FIELD]);
    }
  }
  std::fclose(file);
  return true;
}

std::string MasterTable::CodeAt(int row) const { return At(codes, row); }

std::string MasterTable::NameAt(int row) const { return At(names, row); }

int MasterTable::Count() const { return static_cast<int>(codes.size()); }
