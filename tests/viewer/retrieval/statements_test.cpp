// The observation statements, byte for byte: every shape of every period type.
#include <gtest/gtest.h>

#include <string>

#include "viewer/retrieval/observation_statements.h"

namespace {

TEST(DailyStatement, OneMonthIsOneSelect) {
  EXPECT_EQ(DailyStatement("12345", "2000/05/10", "2000/05/20"),
            "SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 = 2000 AND d3 = 05 AND "
            "(d7 >= 10 AND d7 <= 20);");
}

TEST(DailyStatement, MonthsOfOneYearSendTheEmptyMiddleRangeToo) {
  EXPECT_EQ(DailyStatement("12345", "2000/05/10", "2000/06/20"),
            "SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 = 2000 AND (d3 = 05 AND "
            "(d7 >= 10 AND d7 <= 31)) UNION SELECT * FROM st_data_h WHERE sChiten = 12345 AND "
            "d2 = 2000 AND (d3 > 05 AND d3 < 06) UNION SELECT * FROM st_data_h WHERE sChiten = "
            "12345 AND d2 = 2000 AND (d3 = 06 AND (d7 >= 1 AND d7 <= 20));");
}

TEST(DailyStatement, AcrossYearsIsFiveSelectsOf445Characters) {
  std::string statement = DailyStatement("12345", "2000/05/10", "2002/07/20");
  EXPECT_EQ(statement,
            "SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 = 2000 AND (d3 = 05 AND "
            "(d7 >= 10 AND d7 <= 31)) UNION SELECT * FROM st_data_h WHERE sChiten = 12345 AND "
            "d2 = 2000 AND d3 > 05 UNION SELECT * FROM st_data_h WHERE sChiten = 12345 AND "
            "d2 > 2000 AND d2 < 2002 UNION SELECT * FROM st_data_h WHERE sChiten = 12345 AND "
            "d2 = 2002 AND d3 < 07 UNION SELECT * FROM st_data_h WHERE sChiten = 12345 AND "
            "d2 = 2002 AND (d3 = 07 AND (d7 >= 1 AND d7 <= 20));");
  EXPECT_EQ(statement.size(), 445u);
}

TEST(DailyStatement, ShapeFollowsTheValuesNotTheTexts) {
  // "5" and "05" are one month, so the one-month shape is chosen.
  EXPECT_EQ(DailyStatement("12345", "2000/5/01", "2000/05/02"),
            "SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 = 2000 AND d3 = 5 AND "
            "(d7 >= 01 AND d7 <= 02);");
}

TEST(YearRoundPentadStatement, OneYearAndAcrossYears) {
  EXPECT_EQ(YearRoundPentadStatement("12345", "2000/05", "2000/20"),
            "SELECT * FROM st_data_th WHERE sChiten = 12345 AND d1 = 2000 AND "
            "(d2 >= 05 AND d2 <= 20);");
  EXPECT_EQ(YearRoundPentadStatement("12345", "2000/05", "2002/20"),
            "SELECT * FROM st_data_th WHERE sChiten = 12345 AND d1 = 2000 AND d2 >= 05 UNION "
            "SELECT * FROM st_data_th WHERE sChiten = 12345 AND (d1 > 2000 AND d1 < 2002) UNION "
            "SELECT * FROM st_data_th WHERE sChiten = 12345 AND d1 = 2002 AND d2 <= 20;");
}

TEST(MonthlyStatement, OneYearAndAcrossYears) {
  EXPECT_EQ(MonthlyStatement("47401", "2001/03", "2001/11"),
            "SELECT * FROM st_data_t WHERE sChiten = 47401 AND d1 = 2001 AND "
            "(d2 >= 03 AND d2 <= 11);");
  EXPECT_EQ(MonthlyStatement("47401", "1999/11", "2000/02"),
            "SELECT * FROM st_data_t WHERE sChiten = 47401 AND d1 = 1999 AND d2 >= 11 UNION "
            "SELECT * FROM st_data_t WHERE sChiten = 47401 AND (d1 > 1999 AND d1 < 2000) UNION "
            "SELECT * FROM st_data_t WHERE sChiten = 47401 AND d1 = 2000 AND d2 <= 02;");
}

TEST(CalendarPentadStatement, AllThreeShapes) {
  EXPECT_EQ(CalendarPentadStatement("12345", "2000/04/02", "2000/04/05"),
            "SELECT * FROM st_data_rh WHERE sChiten = 12345 AND d1 = 2000 AND d2 = 04 AND "
            "(d3 >= 02 AND d3 <= 05);");
  EXPECT_EQ(CalendarPentadStatement("12345", "2000/04/02", "2000/07/05"),
            "SELECT * FROM st_data_rh WHERE sChiten = 12345 AND d1 = 2000 AND d2 = 04 AND "
            "d3 >= 02 UNION SELECT * FROM st_data_rh WHERE sChiten = 12345 AND d1 = 2000 AND "
            "(d2 > 04 AND d2 < 07) UNION SELECT * FROM st_data_rh WHERE sChiten = 12345 AND "
            "d1 = 2000 AND d2 = 07 AND d3 <= 05;");
  EXPECT_EQ(CalendarPentadStatement("12345", "2000/11/03", "2002/02/01"),
            "SELECT * FROM st_data_rh WHERE sChiten = 12345 AND d1 = 2000 AND d2 = 11 AND "
            "d3 >= 03 UNION SELECT * FROM st_data_rh WHERE sChiten = 12345 AND d1 = 2000 AND "
            "d2 > 11 UNION SELECT * FROM st_data_rh WHERE sChiten = 12345 AND d1 > 2000 AND "
            "d1 < 2002 UNION SELECT * FROM st_data_rh WHERE sChiten = 12345 AND d1 = 2002 AND "
            "d2 < 02 UNION SELECT * FROM st_data_rh WHERE sChiten = 12345 AND d1 = 2002 AND "
            "d2 = 02 AND d3 <= 01;");
}

TEST(TenDayStatement, AllThreeShapes) {
  EXPECT_EQ(TenDayStatement("12345", "2003/12/01", "2003/12/03"),
            "SELECT * FROM st_data_j WHERE sChiten = 12345 AND d1 = 2003 AND d2 = 12 AND "
            "(d3 >= 01 AND d3 <= 03);");
  EXPECT_EQ(TenDayStatement("12345", "2003/01/02", "2003/02/01"),
            "SELECT * FROM st_data_j WHERE sChiten = 12345 AND d1 = 2003 AND d2 = 01 AND "
            "d3 >= 02 UNION SELECT * FROM st_data_j WHERE sChiten = 12345 AND d1 = 2003 AND "
            "(d2 > 01 AND d2 < 02) UNION SELECT * FROM st_data_j WHERE sChiten = 12345 AND "
            "d1 = 2003 AND d2 = 02 AND d3 <= 01;");
  EXPECT_EQ(TenDayStatement("12345", "1999/12/03", "2000/01/01"),
            "SELECT * FROM st_data_j WHERE sChiten = 12345 AND d1 = 1999 AND d2 = 12 AND "
            "d3 >= 03 UNION SELECT * FROM st_data_j WHERE sChiten = 12345 AND d1 = 1999 AND "
            "d2 > 12 UNION SELECT * FROM st_data_j WHERE sChiten = 12345 AND d1 > 1999 AND "
            "d1 < 2000 UNION SELECT * FROM st_data_j WHERE sChiten = 12345 AND d1 = 2000 AND "
            "d2 < 01 UNION SELECT * FROM st_data_j WHERE sChiten = 12345 AND d1 = 2000 AND "
            "d2 = 01 AND d3 <= 01;");
}

TEST(YearlyStatement, OneShapeForAnyRange) {
  EXPECT_EQ(YearlyStatement("12345", "1999", "2003"),
            "SELECT * FROM st_data_n WHERE sChiten = 12345 AND (d1 >= 1999 AND d1 <= 2003);");
  EXPECT_EQ(YearlyStatement("12345", "2001", "2001"),
            "SELECT * FROM st_data_n WHERE sChiten = 12345 AND (d1 >= 2001 AND d1 <= 2001);");
}

TEST(DailyStatement, LongFieldsAreNeverCutShort) {
  // Texts far longer than the form writes (63-character fields, a 255-byte
  // station key) still give the whole five-part statement, past 1024 bytes.
  std::string station(255, '7');
  std::string fromYear = std::string(59, '0') + "2000";
  std::string toYear = std::string(59, '0') + "2002";
  std::string from = fromYear + "/" + std::string(61, '0') + "05/" + std::string(61, '0') + "10";
  std::string to = toYear + "/" + std::string(61, '0') + "07/" + std::string(61, '0') + "20";
  std::string statement = DailyStatement(station.c_str(), from.c_str(), to.c_str());
  EXPECT_GT(statement.size(), 2000u);
  std::string last = " UNION SELECT * FROM st_data_h WHERE sChiten = " + station + " AND d2 = " +
                     toYear + " AND (d3 = " + std::string(61, '0') + "07 AND (d7 >= 1 AND d7 <= " +
                     std::string(61, '0') + "20));";
  ASSERT_GT(statement.size(), last.size());
  EXPECT_EQ(statement.substr(statement.size() - last.size()), last);
  EXPECT_NE(statement.find(" AND d2 > " + fromYear + " AND d2 < " + toYear), std::string::npos);
}

}  // namespace
