#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef _WIN32
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/wide_text.h"
#endif
#include "tests/viewer/report/report_test_support.h"
#include "tests/support/test_files.h"
#include "viewer/report/html_csv_writers.h"
#include "viewer/report/report_writer.h"

namespace {

using namespace report_test;
using test_support::ReadBytes;
using test_support::WriteBytes;

#ifdef _WIN32
const std::string LINE_END = "\r\n";  // text mode stores each line feed as CR LF
#else
const std::string LINE_END = "\n";
#endif

void SetTemp(const std::string& value) {
#ifdef _WIN32
  _putenv_s("TEMP", value.c_str());
#else
  setenv("TEMP", value.c_str(), 1);
#endif
}

void UnsetTemp() {
#ifdef _WIN32
  _putenv_s("TEMP", "");
#else
  unsetenv("TEMP");
#endif
}

std::string WithLineEnds(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == '\n') {
      result += LINE_END;
    } else {
      result += c;
    }
  }
  return result;
}

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The report of one station, one element (降水量) and three days across a
// month end: a value, a missing value and a day without a row.
const char* const ONE_STATION_HTML =
    "<TR><TD bgcolor='#003399'><font color='#FFFFFF' size='2'>地点番号</font></TD>"
    "<TD bgcolor='#003399' width='50'><font color='#FFFFFF' size='2'>47401</font></TD></TR>"
    "<TR><TD bgcolor='#003399'><font color='#FFFFFF' size='2'>地点名</font></TD>"
    "<TD bgcolor='#003399' width='50'><font color='#FFFFFF' size='2'>稚内</font></TD></TR>"
    "<TR><TD bgcolor='#003399'><font color='#FFFFFF' size='2'>データ</font></TD>"
    "<TD bgcolor='#003399' width='50'><font color='#FFFFFF' size='2'>降水量</font></TD></TR>"
    "<TR><TD bgcolor='#003399'><font color='#FFFFFF' size='2'>単位</font></TD>"
    "<TD bgcolor='#003399' width='50'><font color='#FFFFFF' size='2'>mm</font></TD></TR>"
    "<TR><TD bgcolor='#CCFFFF'><font size='2'>2003/02/27</font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'><div align='right'>12</div></font></TD></TR>"
    "<TR><TD bgcolor='#99CCFF'><font size='2'>2003/02/28</font></TD>"
    "<TD bgcolor='#99CCFF' width='50'><font size='2'>*****</font></TD></TR>"
    "<TR><TD bgcolor='#CCFFFF'><font size='2'>2003/03/01</font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'>*****</font></TD></TR>";

const char* const ONE_STATION_CSV =
    "地点番号,47401\n"
    "地点名,稚内\n"
    "データ,降水量\n"
    "単位,mm\n"
    "2003/02/27,12\n"
    "2003/02/28,*****\n"
    "2003/03/01,*****\n";

// Two stations, monthly, 最大風速 and 最高気温: date columns, a direction,
// negative tenths, a row whose third field is not 0 and a duplicate row.
const char* const TWO_STATION_CSV =
    "地点番号,47401,47401,47401,47401,47401,47412,47412,47412,47412,47412\n"
    "地点名,稚内,稚内,稚内,稚内,稚内,札幌,札幌,札幌,札幌,札幌\n"
    "データ,現象年月日,最大風速,同風向,現象年月日,最高気温,現象年月日,最大風速,同風向,現象年月日,最高気温\n"
    "単位,,m/s,16方位,,℃,,m/s,16方位,,℃\n"
    "2003/01,2003/01/05,15,北,2003/01/31,-0.5,*****,*****,*****,2003/01/02,25.3\n"
    "2003/02,2003/02/03,8,*****,*****,*****,*****,*****,*****,*****,*****\n";

const char* const TWO_STATION_HTML_FIRST_PERIOD =
    "<TR><TD bgcolor='#CCFFFF'><font size='2'>2003/01</font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'><div align='right'>2003/01/05</div></font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'><div align='right'>15</div></font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'>北</font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'><div align='right'>2003/01/31</div></font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'><div align='right'>-0.5</div></font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'>*****</font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'>*****</font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'>*****</font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'><div align='right'>2003/01/02</div></font></TD>"
    "<TD bgcolor='#CCFFFF' width='50'><font size='2'><div align='right'>25.3</div></font></TD></TR>";

class ReportOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* temp = std::getenv("TEMP");
    hadTemp = temp != nullptr;
    previousTemp = hadTemp ? temp : "";
    folder = test_support::MakeScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    SetTemp(folder);
    htmlPath = folder + "\\temp.html";
    csvPath = folder + "\\temp.csv";
  }

  void TearDown() override {
    if (hadTemp) {
      SetTemp(previousTemp);
    } else {
      UnsetTemp();
    }
    std::filesystem::current_path(previousFolder);
    // Natively the backslash is part of a file name beside the folder.
    std::remove(htmlPath.c_str());
    std::remove(csvPath.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  void OneStationReport() {
    stations.Add("47401", "稚内");
    Choose(PeriodType::Daily, "2003/02/27", "2003/03/01", Flags{PRECIPITATION});
    ObservationRow value = Row("47401", 2003, 2, 27);
    value.precipitation = 12;
    ObservationRow missing = Row("47401", 2003, 2, 28);
    missing.precipitation = MISSING_VALUE;
    rows = {missing, value};
  }

  void TwoStationReport() {
    stations.Add("47412", "札幌");
    stations.Add("47401", "稚内");
    Choose(PeriodType::Monthly, "2003/01", "2003/02", Flags{MAX_WIND, MAX_TEMP});
    ObservationRow a = Row("47401", 2003, 1, 0);
    a.maxWindSpeed = 15;
    a.maxWindDirection = 16;
    a.maxWindMonth = 1;
    a.maxWindDay = 5;
    a.maxTemp = -5;
    a.maxTempMonth = 1;
    a.maxTempDay = 31;
    ObservationRow duplicate = a;
    duplicate.maxWindSpeed = 99;
    ObservationRow b = Row("47412", 2003, 1, 0);
    b.maxWindSpeed = MISSING_VALUE;
    b.maxWindDirection = 3;
    b.maxTemp = 253;
    b.maxTempMonth = 1;
    b.maxTempDay = 2;
    ObservationRow c = Row("47401", 2003, 2, 0);
    c.maxWindSpeed = 8;
    c.maxWindDirection = MISSING_VALUE;
    c.maxWindMonth = 2;
    c.maxWindDay = 3;
    c.maxTemp = MISSING_VALUE;
    ObservationRow notMonthly = Row("47412", 2003, 2, 1);
    notMonthly.maxWindSpeed = 1;
    rows = {a, b, duplicate, c, notMonthly};
  }

  // Makes the report; true with its path in `path`, false with the reason in `error`.
  bool Make(OutputMode mode) {
    error.clear();
    return ReportWriter::MakeReport(*query, mode, rows.data(), static_cast<int>(rows.size()), path, error);
  }

  void Choose(PeriodType type, const char* from, const char* to, const Flags& flags) {
    query.emplace(QueryOf(stations, type, from, to, flags));
  }

  std::string Grid(bool csv) {
    return ReportWriter(*query).GridText(rows.data(), static_cast<int>(rows.size()),
                                         csv ? OutputMode::Csv : OutputMode::Html);
  }

  std::string folder;
  bool hadTemp = false;
  std::string previousTemp;
  std::filesystem::path previousFolder;
  std::string htmlPath;
  std::string csvPath;
  PairList stations;
  std::optional<Query> query;
  std::vector<ObservationRow> rows;
  std::string path;
  std::string error;
};

TEST_F(ReportOutput, HtmlRowsOfOneStation) {
  OneStationReport();
  EXPECT_EQ(ONE_STATION_HTML, Grid(false));
}

TEST_F(ReportOutput, CsvTextOfOneStation) {
  OneStationReport();
  EXPECT_EQ(ONE_STATION_CSV, Grid(true));
}

TEST_F(ReportOutput, CsvTextOfTwoStations) {
  TwoStationReport();
  EXPECT_EQ(TWO_STATION_CSV, Grid(true));
}

TEST_F(ReportOutput, HtmlCellsAreRightAlignedOnlyWhenNumeric) {
  TwoStationReport();
  std::string html = Grid(false);
  EXPECT_NE(std::string::npos, html.find(TWO_STATION_HTML_FIRST_PERIOD));
  EXPECT_EQ(6, Occurrences(html, "<TR>"));
  EXPECT_EQ(6, Occurrences(html, "</TR>"));
}

TEST_F(ReportOutput, CsvReportIsWrittenToTempInTextMode) {
  TwoStationReport();
  ASSERT_TRUE(Make(OutputMode::Csv)) << error;
  EXPECT_EQ(csvPath, path);
  EXPECT_EQ(WithLineEnds(TWO_STATION_CSV), ReadBytes(csvPath));
  EXPECT_EQ("", error);
}

TEST_F(ReportOutput, HtmlReportIsTheTemplateWithTheRowsAndValuesAtTheirMarkers) {
  OneStationReport();
  ASSERT_TRUE(WriteBytes("output.html", "<html>\n<textarea>@values</textarea>\n<table>\n@data\n</table>\n</html>\n"));
  ASSERT_TRUE(Make(OutputMode::Html)) << error;
  EXPECT_EQ(htmlPath, path);
  std::string expected = std::string("<html>\n<textarea>") + ONE_STATION_CSV + "</textarea>\n<table>\n" +
                         ONE_STATION_HTML + "\n</table>\n</html>\n";
  EXPECT_EQ(WithLineEnds(expected), ReadBytes(htmlPath));
}

// A page of several megabytes goes out in blocks: every line end of it is
// written, also around the blocks' edges and on a last line without one.
TEST_F(ReportOutput, ALargePageKeepsEveryLineEnd) {
  OneStationReport();
  constexpr int LINES = 60000;
  std::string page;
  for (int line = 0; line < LINES; ++line) page += std::string(static_cast<size_t>(line % 97), 'x') + "\n";
  ASSERT_TRUE(WriteBytes("output.html", page + "@data\n\n</html>"));
  ASSERT_TRUE(Make(OutputMode::Html)) << error;
  EXPECT_EQ(WithLineEnds(page + ONE_STATION_HTML + "\n\n</html>"), ReadBytes(htmlPath));
}

// The values stand as element text: nothing in them may end the element or
// form a marker, and a double-byte character whose second byte is "@" (ァ,
// 0x83 0x40) stays whole.
TEST(ReportValues, AreEscapedAsElementText) {
  const struct {
    const char* plain;
    const char* expected;
  } cases[] = {
      {"47401,稚内,12", "47401,稚内,12"},
      {"a&b</textarea>", "a&amp;b&lt;/textarea>"},
      {"@data,@values", "&#64;data,&#64;values"},
      {"\x83\x40" "data,\x83\x40", "\x83\x40" "data,\x83\x40"},
      {"\x83\x40@", "\x83\x40&#64;"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, HtmlText(c.plain)) << c.plain;
}

TEST_F(ReportOutput, ARunOverwritesTheEarlierReport) {
  OneStationReport();
  ASSERT_TRUE(WriteBytes(csvPath, std::string(5000, 'x')));
  ASSERT_TRUE(Make(OutputMode::Csv));
  EXPECT_EQ(WithLineEnds(ONE_STATION_CSV), ReadBytes(csvPath));
}

TEST_F(ReportOutput, NoRowsStillGiveAReportOfMissingMarks) {
  OneStationReport();
  rows.clear();
  ASSERT_TRUE(Make(OutputMode::Csv));
  EXPECT_EQ(WithLineEnds("地点番号,47401\n地点名,稚内\nデータ,降水量\n単位,mm\n"
                         "2003/02/27,*****\n2003/02/28,*****\n2003/03/01,*****\n"),
            ReadBytes(csvPath));
}

TEST_F(ReportOutput, AMissingTemplateWritesNothingAndSaysWhich) {
  OneStationReport();
  EXPECT_FALSE(Make(OutputMode::Html));
  EXPECT_EQ("ファイル[output.html]は、オープンできません。", error);
  EXPECT_FALSE(test_support::FileExists(htmlPath));
}

TEST_F(ReportOutput, AnUnopenableCsvFileAsksTheUserToCloseIt) {
  OneStationReport();
  std::filesystem::create_directory(csvPath);  // a folder in the file's place cannot be opened for writing
  EXPECT_FALSE(Make(OutputMode::Csv));
  EXPECT_EQ("すでにファイルがオープンしてます。ファイルを閉じてください。", error);
  std::filesystem::remove(csvPath);
}

TEST_F(ReportOutput, AnUnopenableHtmlFileNamesItsPath) {
  OneStationReport();
  ASSERT_TRUE(WriteBytes("output.html", "@data"));
  std::filesystem::create_directory(htmlPath);
  EXPECT_FALSE(Make(OutputMode::Html));
  EXPECT_EQ("ファイル[" + htmlPath + "]は、オープンできません。", error);
  std::filesystem::remove(htmlPath);
}

TEST_F(ReportOutput, ATempValueTooLongForThePathWritesNothing) {
  OneStationReport();
  std::string longest = folder + "\\" + std::string(245 - folder.size() - 1, 'd');
  SetTemp(longest + "d");
  EXPECT_FALSE(Make(OutputMode::Csv));
  EXPECT_NE("", error);

#ifdef _WIN32
  SetTemp(longest);  // 245 characters still fit, though the folder does not exist
  EXPECT_FALSE(Make(OutputMode::Csv));
  EXPECT_EQ("すでにファイルがオープンしてます。ファイルを閉じてください。", error);
#endif
}

TEST_F(ReportOutput, AMissingTempPutsTheFileAfterASingleBackslash) {
  OneStationReport();
  UnsetTemp();
  std::string text = "x\n";
  if (ReportWriter::WriteTempCsv(text, path, error)) {
    EXPECT_EQ("\\temp.csv", path);
    std::remove(path.c_str());
  } else {
    EXPECT_EQ("すでにファイルがオープンしてます。ファイルを閉じてください。", error);
  }
}

TEST_F(ReportOutput, ATempValueEndingInABackslashGivesTwoInARow) {
  OneStationReport();
  SetTemp(folder + "\\");
  ASSERT_TRUE(Make(OutputMode::Csv)) << error;
  EXPECT_EQ(folder + "\\\\temp.csv", path);
  std::remove(path.c_str());
}

#ifdef _WIN32
// TEMP as the system keeps it, whatever the C library's code page holds.
TEST_F(ReportOutput, ATempFolderOutsideShiftJisGetsTheReport) {
  OneStationReport();
  const std::filesystem::path foreign = std::filesystem::path(platform::ToWide(folder.c_str())) / L"José Ñúñez";
  ASSERT_TRUE(std::filesystem::create_directory(foreign));
  ASSERT_EQ(0, _wputenv_s(L"TEMP", foreign.c_str()));
  ASSERT_TRUE(Make(OutputMode::Csv)) << error;
  std::FILE* written = platform::OpenFile(path.c_str(), L"rb");
  ASSERT_NE(nullptr, written) << path.c_str();
  std::fclose(written);
  std::ifstream report(foreign / L"temp.csv", std::ios::binary);
  EXPECT_EQ(WithLineEnds(ONE_STATION_CSV),
            std::string(std::istreambuf_iterator<char>(report), std::istreambuf_iterator<char>()));
}

TEST_F(ReportOutput, ATempFolderNoPathTextCanNameIsNamedInTheMessage) {
  OneStationReport();
  // Without short forms (the folders do not exist) "Jos?" stands for the
  // first of them and so cannot stand for the second.
  const std::wstring base = platform::ToWide(folder.c_str());
  const std::wstring first = base + L"\\Josè";
  const std::wstring second = base + L"\\José";
  ASSERT_EQ(folder + "\\Jos?", platform::PathTextFor(first, L"", 245));
  ASSERT_EQ(0, _wputenv_s(L"TEMP", second.c_str()));
  EXPECT_FALSE(Make(OutputMode::Csv));
  EXPECT_EQ("環境変数TEMPのフォルダ[" + folder + "\\Jos?]を扱えないため、帳票を作成できません。",
            error);
}
#endif

}  // namespace
