// Reading reply rows: value cutting, decimal reading, the position maps of the
// six tables, and appending to the growing row array.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "viewer/retrieval/decimal_text.h"
#include "viewer/retrieval/reply_rows.h"

namespace {

// Reads `row` from a heap block of exactly its size, so a read past the row
// is caught by the address sanitizer.
ObservationRow Read(PeriodType type, const std::string& row) {
  std::vector<char> bytes(row.begin(), row.end());
  return ReadReplyRow(type, bytes.data(), bytes.size());
}

// A reply row of `count` values: the station, then the value 100 + position.
std::string NumberedRow(int count) {
  std::string row = "47401,";
  for (int position = 1; position < count; ++position) row += std::to_string(100 + position) + ",";
  return row;
}

int16_t Value(const std::string& text) { return ReadDecimal16(text.data(), text.size()); }

TEST(ReadDecimal16, SkipsBlanksTakesASignAndStopsAtTheFirstOtherCharacter) {
  EXPECT_EQ(Value("12.5"), 12);
  EXPECT_EQ(Value(""), 0);
  EXPECT_EQ(Value("-3"), -3);
  EXPECT_EQ(Value("+7"), 7);
  EXPECT_EQ(Value(" \t 42"), 42);
  EXPECT_EQ(Value("abc"), 0);
  EXPECT_EQ(Value("-"), 0);
  EXPECT_EQ(Value("32767"), MISSING_VALUE);
}

TEST(ReadDecimal16, CutsToSixteenBits) {
  EXPECT_EQ(Value("70000"), 4464);
  EXPECT_EQ(Value("32768"), -32768);
  EXPECT_EQ(Value("-32769"), 32767);
  EXPECT_EQ(Value("65536"), 0);
  EXPECT_EQ(Value("123456789012345678901234567890"), 2770);  // the exact value modulo 65536
}

TEST(ReadDecimal16, StopsAtTheGivenLength) {
  EXPECT_EQ(ReadDecimal16("12345", 2), 12);
  EXPECT_EQ(ReadDecimal16("9", 0), 0);
}

TEST(ReplyValueCount, PerTable) {
  EXPECT_EQ(ReplyValueCount(PeriodType::Daily), 18);
  EXPECT_EQ(ReplyValueCount(PeriodType::PentadOfYear), 27);
  EXPECT_EQ(ReplyValueCount(PeriodType::PentadOfMonth), 23);
  EXPECT_EQ(ReplyValueCount(PeriodType::TenDay), 23);
  EXPECT_EQ(ReplyValueCount(PeriodType::Monthly), 22);
  EXPECT_EQ(ReplyValueCount(PeriodType::Yearly), 26);
}

// Reply position of every field, table by table (-1: not supplied), in the
// order daily, pentad of the year, pentad of the month, ten-day, month, year.
struct FieldPositions {
  const char* name;
  int16_t ObservationRow::*field;
  int position[6];
};

const FieldPositions FIELD_POSITIONS[] = {
    {"year", &ObservationRow::year, {2, 1, 1, 1, 1, 1}},
    {"period2", &ObservationRow::period2, {3, 2, 2, 2, 2, -1}},
    {"period3", &ObservationRow::period3, {7, -1, 3, 3, -1, -1}},
    {"precipitation", &ObservationRow::precipitation, {8, 3, 4, 4, 3, 2}},
    {"maxDailyPrecip", &ObservationRow::maxDailyPrecip, {-1, 4, 5, 5, 4, 3}},
    {"maxDailyPrecipMonth", &ObservationRow::maxDailyPrecipMonth, {-1, 5, 2, 2, 2, 4}},
    {"maxDailyPrecipDay", &ObservationRow::maxDailyPrecipDay, {-1, 6, 6, 6, 5, 5}},
    {"maxHourlyPrecip", &ObservationRow::maxHourlyPrecip, {9, 7, 7, 7, 6, 6}},
    {"maxHourlyPrecipMonth", &ObservationRow::maxHourlyPrecipMonth, {-1, 8, 2, 2, 2, 7}},
    {"maxHourlyPrecipDay", &ObservationRow::maxHourlyPrecipDay, {-1, 9, 8, 8, 7, 8}},
    {"meanWindSpeed", &ObservationRow::meanWindSpeed, {10, 10, 9, 9, 8, 9}},
    {"maxWindSpeed", &ObservationRow::maxWindSpeed, {11, 11, 10, 10, 9, 10}},
    {"maxWindDirection", &ObservationRow::maxWindDirection, {12, 12, 11, 11, 10, 11}},
    {"maxWindMonth", &ObservationRow::maxWindMonth, {-1, 13, 2, 2, 2, 12}},
    {"maxWindDay", &ObservationRow::maxWindDay, {-1, 14, 12, 12, 11, 13}},
    {"prevailingWindDirection", &ObservationRow::prevailingWindDirection, {13, 15, 13, 13, 12, 14}},
    {"meanTemp", &ObservationRow::meanTemp, {14, 16, 14, 14, 13, 15}},
    {"accumulatedTemp", &ObservationRow::accumulatedTemp, {-1, 17, 15, 15, 14, 16}},
    {"maxTemp", &ObservationRow::maxTemp, {15, 18, 16, 16, 15, 17}},
    {"maxTempMonth", &ObservationRow::maxTempMonth, {-1, 19, 2, 2, 2, 18}},
    {"maxTempDay", &ObservationRow::maxTempDay, {-1, 20, 17, 17, 16, 19}},
    {"meanMaxTemp", &ObservationRow::meanMaxTemp, {-1, 21, 18, 18, 17, 20}},
    {"minTemp", &ObservationRow::minTemp, {16, 22, 19, 19, 18, 21}},
    {"minTempMonth", &ObservationRow::minTempMonth, {-1, 23, 2, 2, 2, 22}},
    {"minTempDay", &ObservationRow::minTempDay, {-1, 24, 20, 20, 19, 23}},
    {"meanMinTemp", &ObservationRow::meanMinTemp, {-1, 25, 21, 21, 20, 24}},
    {"sunshineHours", &ObservationRow::sunshineHours, {17, 26, 22, 22, 21, 25}},
};

TEST(ReadReplyRow, EveryTableFillsItsFieldsFromTheirPositions) {
  const PeriodType types[6] = {PeriodType::Daily,   PeriodType::PentadOfYear, PeriodType::PentadOfMonth,
                        PeriodType::TenDay, PeriodType::Monthly,        PeriodType::Yearly};
  for (int table = 0; table < 6; ++table) {
    ObservationRow row = Read(types[table], NumberedRow(ReplyValueCount(types[table])));
    EXPECT_STREQ(row.stationCode, "47401");
    for (const FieldPositions& f : FIELD_POSITIONS) {
      int position = f.position[table];
      EXPECT_EQ(row.*f.field, position < 0 ? 0 : 100 + position)
          << "type " << static_cast<int>(types[table]) << " field " << f.name;
    }
  }
}

TEST(ReadReplyRow, MonthlyRowSpreadsItsMonthOverTheOccurrenceMonths) {
  ObservationRow row = Read(PeriodType::Monthly, "47401,2001,7,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,");
  EXPECT_EQ(row.period2, 7);
  EXPECT_EQ(row.maxDailyPrecipMonth, 7);
  EXPECT_EQ(row.maxHourlyPrecipMonth, 7);
  EXPECT_EQ(row.maxWindMonth, 7);
  EXPECT_EQ(row.maxTempMonth, 7);
  EXPECT_EQ(row.minTempMonth, 7);
  EXPECT_EQ(row.period3, 0);
}

TEST(ReadReplyRow, ValuesBeyondTheTablesCountAreIgnored) {
  ObservationRow eighteen = Read(PeriodType::Daily, NumberedRow(18));
  ObservationRow twenty = Read(PeriodType::Daily, NumberedRow(20));
  EXPECT_EQ(std::memcmp(&eighteen, &twenty, sizeof eighteen), 0);
  // Without the link's trailing comma the last value still reads whole.
  std::string bare = NumberedRow(18);
  bare.pop_back();
  ObservationRow unterminated = Read(PeriodType::Daily, bare);
  EXPECT_EQ(std::memcmp(&eighteen, &unterminated, sizeof eighteen), 0);
}

TEST(ReadReplyRow, ShortRowsReadTheMissingValuesAsZero) {
  ObservationRow row = Read(PeriodType::PentadOfYear, "47401,2002,9");
  EXPECT_STREQ(row.stationCode, "47401");
  EXPECT_EQ(row.year, 2002);
  EXPECT_EQ(row.period2, 9);
  EXPECT_EQ(row.precipitation, 0);
  EXPECT_EQ(row.sunshineHours, 0);
  ObservationRow empty = Read(PeriodType::Yearly, "");
  EXPECT_STREQ(empty.stationCode, "");
  EXPECT_EQ(empty.year, 0);
}

TEST(ReadReplyRow, StationNumberIsCutToFiveBytes) {
  EXPECT_STREQ(Read(PeriodType::Yearly, "1234567,2001,").stationCode, "12345");
  EXPECT_STREQ(Read(PeriodType::Yearly, "123,2001,").stationCode, "123");
}

TEST(ReadReplyRow, ValuesAreReadAsTheServerSentThem) {
  ObservationRow row = Read(PeriodType::Yearly, "47401,2001,12.5,,-3,70000,32767,");
  EXPECT_EQ(row.precipitation, 12);
  EXPECT_EQ(row.maxDailyPrecip, 0);
  EXPECT_EQ(row.maxDailyPrecipMonth, -3);
  EXPECT_EQ(row.maxDailyPrecipDay, 4464);
  EXPECT_EQ(row.maxHourlyPrecip, MISSING_VALUE);
}

TEST(ReadReplyRows, AppendsRowsAfterThoseAlreadyRead) {
  std::string first = "47401,1999,\n47401,2000,\n47401,2001,\n";
  std::string second = "47412,2002,\n47412,2003,\n";
  std::vector<ObservationRow> rows;
  EXPECT_EQ(ReadReplyRows(PeriodType::Yearly, first.data(), first.size(), 3, rows), 3);
  EXPECT_EQ(rows.size(), 3u);
  EXPECT_EQ(ReadReplyRows(PeriodType::Yearly, second.data(), second.size(), 2, rows), 2);
  ASSERT_EQ(rows.size(), 5u);
  const int years[5] = {1999, 2000, 2001, 2002, 2003};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(rows[i].year, years[i]);
  EXPECT_STREQ(rows[3].stationCode, "47412");
}

TEST(ReadReplyRows, ReadsNoMoreRowsThanCountedAndStopsWhereTheTextEnds) {
  std::string reply = "47401,1999,\n47401,2000,\n";
  std::vector<ObservationRow> rows;
  EXPECT_EQ(ReadReplyRows(PeriodType::Yearly, reply.data(), reply.size(), 1, rows), 1);
  EXPECT_EQ(rows.size(), 1u);
  rows.clear();
  EXPECT_EQ(ReadReplyRows(PeriodType::Yearly, reply.data(), reply.size(), 4, rows), 2);
  EXPECT_EQ(rows.size(), 2u);
  EXPECT_EQ(ReadReplyRows(PeriodType::Yearly, "", 0, 3, rows), 0);
  EXPECT_EQ(rows.size(), 2u);
}

TEST(ReadReplyRows, ALongReplyKeepsEveryRowAndTheRowsHeldBefore) {
  std::string reply;
  for (int year = 1; year <= 100; ++year) reply += "47401," + std::to_string(year) + ",\n";
  std::vector<ObservationRow> rows(1, ReadReplyRow(PeriodType::Yearly, "47412,2003,", 11));
  EXPECT_EQ(ReadReplyRows(PeriodType::Yearly, reply.data(), reply.size(), 100, rows), 100);
  ASSERT_EQ(rows.size(), 101u);
  EXPECT_STREQ(rows[0].stationCode, "47412");  // the row held before stays as it was
  EXPECT_EQ(rows[0].year, 2003);
  for (int i = 1; i <= 100; ++i) EXPECT_EQ(rows[i].year, i);
}

}  // namespace
