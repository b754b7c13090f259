#include "viewer/form/data_years_file.h"

#include <cstdlib>
#include <string>

#include "viewer/form/master_table.h"

namespace {

constexpr int YEAR_DIGITS = 4;
constexpr int FIRST_FOUR_DIGIT_YEAR = 1000;

// A name of four digits, as the period texts write a year; 0 otherwise.
int FourDigitYear(const MasterTable& years, int row) {
  std::string name = years.NameAt(row);
  if (name.size() != YEAR_DIGITS || name.find_first_not_of("0123456789") != std::string::npos) return 0;
  int year = std::atoi(name.c_str());
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
