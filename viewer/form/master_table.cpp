#include "viewer/form/master_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t COLUMN_SIZE = static_cast<size_t>(SLOT_SIZE) * MASTER_ROWS;

constexpr const char* OPEN_FAILURE_START = "マスターファイル[";
constexpr const char* OPEN_FAILURE_END = "]は、オープンできません。";

// Fields of a record that take part; later ones are ignored.
enum Field { CODE_FIELD, NAME_FIELD, PARENT_KEY_FIELD, GROUP_KEY_FIELD, FIELD_COUNT };

struct Record {
  char fields[FIELD_COUNT][SLOT_SIZE];
};

char* Slot(char* column, int row) { return column + static_cast<size_t>(row) * SLOT_SIZE; }

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Reads one record: at most SLOT_SIZE-1 bytes, through the line feed when it
// fits. `endedLine` tells whether the read reached the line feed. Returns the
// number of bytes read; 0 at end of file or on a read error.
size_t ReadRecord(std::FILE* file, char* buffer, bool& endedLine) {
  size_t length = 0;
  endedLine = false;
  while (length < SLOT_SIZE - 1) {
    int c = std::fgetc(file);
    if (c == EOF) break;
    buffer[length++] = static_cast<char>(c);
    if (c == '\n') {
      endedLine = true;
      break;
    }
  }
  buffer[length] = '\0';
  return length;
}

// Splits a zero-terminated record at every ","; CR and LF are dropped.
// Each field is shorter than the record, so it always fits its slot.
void SplitRecord(const char* text, Record& record) {
  std::memset(&record, 0, sizeof record);
  int field = CODE_FIELD;
  size_t length = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (IsLineEnd(*p)) continue;
    if (*p == ',') {
      if (++field == FIELD_COUNT) return;
      length = 0;
      continue;
    }
    record.fields[field][length++] = *p;
  }
}

bool OnlyLineEnds(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    if (!IsLineEnd(*p)) return false;
  }
  return true;
}

bool Matches(const char* field, const char* filter) {
  return filter == nullptr || std::strcmp(field, filter) == 0;
}

void CopyFromSlot(const char* column, int row, int count, char* buffer) {
  if (column == nullptr || row < 0 || row >= count) {
    buffer[0] = '\0';
    return;
  }
  std::memcpy(buffer, column + static_cast<size_t>(row) * SLOT_SIZE, SLOT_SIZE);
}

}  // namespace

MasterTable::MasterTable(const char* path, const char* parentKey, const char* groupKey)
    : MasterTable() {
  std::string ignored;
  Load(path, parentKey, groupKey, ignored);
}

MasterTable::MasterTable() : count(0), codes(nullptr), names(nullptr) {}

MasterTable::~MasterTable() {
  std::free(codes);
  std::free(names);
}

bool MasterTable::Load(const char* path, const char* parentKey, const char* groupKey, std::string& error) {
  std::free(codes);
  std::free(names);
  codes = nullptr;
  names = nullptr;
  count = 0;
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) {
    error = std::string(OPEN_FAILURE_START) + path + OPEN_FAILURE_END;
    return false;
  }
  codes = static_cast<char*>(std::calloc(COLUMN_SIZE, 1));
  names = static_cast<char*>(std::calloc(COLUMN_SIZE, 1));
  if (codes == nullptr || names == nullptr) {
    std::fclose(file);
    return true;
  }

  char text[SLOT_SIZE];
  Record record;
  bool previousEndedLine = true;
  bool endedLine = false;
  while (count < MASTER_ROWS && ReadRecord(file, text, endedLine) > 0) {
    // A line exactly one read long leaves its line end for the next read;
    // that remainder is the end of the same line, not an empty record.
    bool remainder = !previousEndedLine && OnlyLineEnds(text);
    previousEndedLine = endedLine;
    if (remainder) continue;
    SplitRecord(text, record);
    if (Matches(record.fields[PARENT_KEY_FIELD], parentKey) &&
        Matches(record.fields[GROUP_KEY_FIELD], groupKey)) {
      Keep(record.fields[CODE_FIELD], record.fields[NAME_FIELD]);
    }
  }
  std::fclose(file);
  return true;
}

void MasterTable::Keep(const char* code, const char* name) {
  std::memcpy(Slot(codes, count), code, SLOT_SIZE);
  std::memcpy(Slot(names, count), name, SLOT_SIZE);
  ++count;
}

void MasterTable::CodeAt(int row, char* buffer) const { CopyFromSlot(codes, row, count, buffer); }

void MasterTable::NameAt(int row, char* buffer) const { CopyFromSlot(names, row, count, buffer); }

int MasterTable::Count() const { return count; }
