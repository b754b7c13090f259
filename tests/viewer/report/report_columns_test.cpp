#include <gtest/gtest.h>

#include <string>

#include "tests/viewer/report/report_test_support.h"
#include "viewer/report/report_writer.h"

namespace {

using namespace report_test;

struct Columns {
  std::string number, name, element, unit;
};

Columns ColumnAt(const HeaderRecord* header, int column) {
  const HeaderRecord& r = header[column];
  return Columns{r.stationNumber, r.stationName, r.element, r.unit};
}

void ExpectColumn(const HeaderRecord* header, int column, const char* number, const char* name, const char* element,
                  const char* unit) {
  Columns c = ColumnAt(header, column);
  EXPECT_EQ(number, c.number) << "column " << column;
  EXPECT_EQ(name, c.name) << "column " << column;
  EXPECT_EQ(element, c.element) << "column " << column;
  EXPECT_EQ(unit, c.unit) << "column " << column;
}

class ReportColumns : public ::testing::Test {
 protected:
  void SetUp() override {
    stations.Add("47412", "札幌");
    stations.Add("47401", "稚内");
  }
  void Choose(PeriodType type, const char* from, const char* to, const Flags& flags) {
    writer.reset();
    query.emplace(QueryOf(stations, type, from, to, flags));
    writer.emplace(*query);
  }
  PairList stations;
  std::optional<Query> query;
  std::optional<ReportWriter> writer;
};

TEST_F(ReportColumns, DailyWindAndPrecipitationTakeThreeColumnsPerStation) {
  Choose(PeriodType::Daily, "2003/01/01", "2003/01/02", Flags{MAX_WIND, PRECIPITATION});
  EXPECT_EQ(3, writer->ColumnsPerStation());
  ASSERT_EQ(6, writer->TotalColumns());
  std::unique_ptr<HeaderRecord[]> header = writer->BuildHeader();
  ExpectColumn(header.get(), 0, "47401", "稚内", "降水量", "mm");
  ExpectColumn(header.get(), 1, "47401", "稚内", "最大風速", "m/s");
  ExpectColumn(header.get(), 2, "47401", "稚内", "同風向", "16方位");
  ExpectColumn(header.get(), 3, "47412", "札幌", "降水量", "mm");
  ExpectColumn(header.get(), 5, "47412", "札幌", "同風向", "16方位");
}

TEST_F(ReportColumns, OtherPeriodsPutTheDateOfTheExtremeFirst) {
  Choose(PeriodType::Monthly, "2003/01", "2003/02", Flags{MAX_WIND, PRECIPITATION});
  EXPECT_EQ(4, writer->ColumnsPerStation());
  ASSERT_EQ(8, writer->TotalColumns());
  std::unique_ptr<HeaderRecord[]> header = writer->BuildHeader();
  ExpectColumn(header.get(), 0, "47401", "稚内", "降水量", "mm");
  ExpectColumn(header.get(), 1, "47401", "稚内", "現象年月日", "");
  ExpectColumn(header.get(), 2, "47401", "稚内", "最大風速", "m/s");
  ExpectColumn(header.get(), 3, "47401", "稚内", "同風向", "16方位");
  ExpectColumn(header.get(), 4, "47412", "札幌", "降水量", "mm");
}

TEST_F(ReportColumns, AllElementsFollowTheFormsOrderWithTheirUnits) {
  Choose(PeriodType::Yearly, "2003", "2003", Flags{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  EXPECT_EQ(19, writer->ColumnsPerStation());
  std::unique_ptr<HeaderRecord[]> header = writer->BuildHeader();
  const char* expected[][2] = {
      {"降水量", "mm"},     {"現象年月日", ""},   {"時最大降水量", "mm"}, {"現象年月日", ""},
      {"日最大降水量", "mm"}, {"平均風速", "m/s"},  {"現象年月日", ""},     {"最大風速", "m/s"},
      {"同風向", "16方位"},   {"最多風向", "16方位"}, {"日照時間", "h"},      {"平均気温", "℃"},
      {"現象年月日", ""},     {"最高気温", "℃"},    {"現象年月日", ""},     {"最低気温", "℃"},
      {"平均最高気温", "℃"},  {"平均最低気温", "℃"}, {"積算気温", "℃"}};
  for (int column = 0; column < 19; ++column) {
    ExpectColumn(header.get(), column, "47401", "稚内", expected[column][0], expected[column][1]);
  }
}

TEST_F(ReportColumns, OnlyChosenElementsTakeColumns) {
  ElementSet elements;
  EXPECT_EQ(0, ColumnsPerStation(elements, PeriodType::Daily));
  elements.set(SUNSHINE);
  Choose(PeriodType::Daily, "2003/01/01", "2003/01/01", Flags{SUNSHINE});
  EXPECT_EQ(1, writer->ColumnsPerStation());
  EXPECT_EQ(2, writer->TotalColumns());
}

TEST(ReportColumnsNoStations, MakeNoQuery) {
  QueryFault fault = QueryFault::None;
  EXPECT_FALSE(Query::Make(PairList(), Period{PeriodType::Daily, "2003/01/01", "2003/01/01"},
                           Flags{PRECIPITATION}.values, ANY_YEARS, fault));
  EXPECT_EQ(QueryFault::NoStation, fault);
  EXPECT_EQ(1, ColumnsPerStation(Flags{PRECIPITATION}.values, PeriodType::Daily));
}

TEST(ReportColumnsStationTexts, EmptyNamesStayAndLongTextsAreCutBetweenCharacters) {
  PairList stations;
  std::string wide;
  for (int i = 0; i < 40; ++i) wide += "観";  // 80 bytes of double-byte characters
  stations.Add("00001", "");
  stations.Add(std::string(70, '9').c_str(), wide.c_str());
  const Query query = QueryOf(stations, PeriodType::Daily, "2003/01/01", "2003/01/01", Flags{PRECIPITATION});
  std::unique_ptr<HeaderRecord[]> header = ReportWriter(query).BuildHeader();
  ExpectColumn(header.get(), 0, "00001", "", "降水量", "mm");
  Columns cut = ColumnAt(header.get(), 1);
  EXPECT_EQ(std::string(63, '9'), cut.number);
  EXPECT_EQ(wide.substr(0, 62), cut.name);
}

TEST(CopyReportText, CountsSingleByteKatakanaAsOneByteAndKeepsALoneLeadByte) {
  char field[REPORT_TEXT_SIZE];
  std::string text = std::string(62, 'a') + "\xB1\xB2";  // half-width katakana are single bytes
  CopyReportText(field, text.c_str());
  EXPECT_EQ(text.substr(0, 63), std::string(field));
  CopyReportText(field, "ab\x81");
  EXPECT_EQ("ab\x81", std::string(field));
}

}  // namespace
