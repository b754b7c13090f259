#include "viewer/form/data_years_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/test_files.h"

namespace {

TEST(DataYears, AreTheFirstAndLastYearOfTheYearListOrTheDefaults) {
  struct Case {
    const char* list;
    int first;
    int last;
  } cases[] = {
      {"1999,1999\r\n2000,2000\r\n2001,2001\r\n2002,2002\r\n2003,2003\r\n", 1999, 2003},
      {"2012,2012\n2013,2013\n2014,2014\n2015,2015\n", 2012, 2015},
      {"2012,2012\n", 2012, 2012},
      {"", DEFAULT_FIRST_DATA_YEAR, DEFAULT_LAST_DATA_YEAR},
      {"x,平成\n2003,2003\n", DEFAULT_FIRST_DATA_YEAR, DEFAULT_LAST_DATA_YEAR},
      {"1999,1999\n2003,03\n", DEFAULT_FIRST_DATA_YEAR, DEFAULT_LAST_DATA_YEAR},
      {"2003,2003\n1999,1999\n", DEFAULT_FIRST_DATA_YEAR, DEFAULT_LAST_DATA_YEAR},
      {"0999,0999\n2003,2003\n", DEFAULT_FIRST_DATA_YEAR, DEFAULT_LAST_DATA_YEAR},
  };
  std::string folder = test_support::MakeScratchFolder("data_years");
  for (const Case& c : cases) {
    std::string path = folder + "/M_A_YEAR.dat";
    ASSERT_TRUE(test_support::WriteBytes(path, c.list));
    DataYears years = ReadDataYears(path.c_str());
    EXPECT_EQ(c.first, years.first) << c.list;
    EXPECT_EQ(c.last, years.last) << c.list;
  }
  DataYears missing = ReadDataYears((folder + "/none.dat").c_str());
  EXPECT_EQ(DEFAULT_FIRST_DATA_YEAR, missing.first);
  EXPECT_EQ(DEFAULT_LAST_DATA_YEAR, missing.last);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

}  // namespace
