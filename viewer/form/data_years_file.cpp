#include "viewer/form/data_years_file.h"

#include <cstdlib>
#include <cstring>

#include "viewer/form/master_table.h"

namespace {

constexpr int YEAR_DIGITS = 4;
constexpr int FIRST_FOUR_DIGIT_YEAR = 1000;

// A name of four digits, as the period texts write a year; 0 otherwise.
int FourDigitYear(const MasterTable& years, int row) {
  char name[SLOT_SIZE] = {};
  years.NameAt(row, name);
  if (std::strlen(name) != YEAR_DIGITS || std::strspn(name, "0123456789") != YEAR_DIGITS) return 0;
  int year = std::atoi(name);
  return year >= FIRST_FOUR_DIGIT_YEAR ? year : 0;
}

}  // namespace

DataYears ReadDataYears(const char* path) {
  MasterTable years(path);
  if (years.Count() == 0) return DataYears{};
  int first = FourDigitYear(years, 0);
  int last = FourDigitYear(years, years.Count() - 1);
  if (first == 0 || last == 0 || first > last) return DataYears{};
  return DataYears{first, last};
}
