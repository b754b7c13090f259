#include "common/credentials_file.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/module_path.h"

namespace {

constexpr char CREDENTIALS_FILE_NAME[] = "user_inf.txt";
// A credentials line holds at most this many bytes; longer values are
// refused when written and cut when read.
constexpr size_t CREDENTIAL_VALUE_MAX = 1022;
constexpr unsigned char SCRAMBLE_SHIFT = 0x10;
constexpr char LINE_END[] = "\r\n";

std::string ShiftBytes(const std::string& text, unsigned char shift) {
  std::string shifted(text);
  for (char& c : shifted) c = static_cast<char>(static_cast<unsigned char>(c) + shift);
  return shifted;
}

// Reads one credentials line in binary mode: the bytes up to the line feed,
// the carriage return before it dropped, cut to CREDENTIAL_VALUE_MAX bytes
// (the rest of a longer line is skipped, not taken as the next line).
// Returns false when nothing is left to read.
bool ReadCredentialsLine(std::FILE* file, std::string& line) {
  line.clear();
  bool readAny = false;
  int c;
  while ((c = std::fgetc(file)) != EOF) {
    readAny = true;
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      break;
    }
    // One byte of room beyond the limit for the carriage return.
    if (line.size() <= CREDENTIAL_VALUE_MAX) line.push_back(static_cast<char>(c));
  }
  if (line.size() > CREDENTIAL_VALUE_MAX) line.resize(CREDENTIAL_VALUE_MAX);
  return readAny;
}

// True when `stored`, written as one credentials line, reads back whole.
bool ReadsBackWhole(const std::string& stored) {
  return stored.size() <= CREDENTIAL_VALUE_MAX && stored.find('\n') == std::string::npos;
}

bool WriteLine(std::FILE* file, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
         std::fputs(LINE_END, file) >= 0;
}

}  // namespace

void CredentialsFile::Read(std::string& userId, std::string& password) {
  std::string path = Path();
  if (path.empty()) return;
  // Binary mode: the scrambled password may hold 0x1A (from "*"), where a
  // text-mode read would stop.
  std::FILE* file = platform::OpenFile(path.c_str(), L"rb");
  if (file == nullptr) return;
  std::string line;
  if (ReadCredentialsLine(file, line)) {
    userId = line;
    if (ReadCredentialsLine(file, line)) password = UnscramblePassword(line);
  }
  std::fclose(file);
}

bool CredentialsFile::Write(const std::string& userId, const std::string& password) {
  std::string scrambled = ScramblePassword(password);
  if (!ReadsBackWhole(userId) || !ReadsBackWhole(scrambled)) return false;
  std::string path = Path();
  if (path.empty()) return false;
  std::FILE* file = platform::OpenFile(path.c_str(), L"wb");
  if (file == nullptr) return false;
  bool written = WriteLine(file, userId) && WriteLine(file, scrambled);
  return std::fclose(file) == 0 && written;
}

std::string CredentialsFile::Path() { return platform::FileBeside(CREDENTIALS_FILE_NAME); }

std::string CredentialsFile::ScramblePassword(const std::string& password) {
  return ShiftBytes(password, static_cast<unsigned char>(0x100 - SCRAMBLE_SHIFT));
}

std::string CredentialsFile::UnscramblePassword(const std::string& scrambled) {
  return ShiftBytes(scrambled, SCRAMBLE_SHIFT);
}
