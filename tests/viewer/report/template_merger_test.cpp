#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/test_files.h"
#include "viewer/report/template_merger.h"

namespace {

using test_support::WriteBytes;

class TemplateMerge : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = test_support::MakeScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    file = (std::filesystem::path(folder) / "output.html").string();
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  // Merges `templateBytes` with "@data" replaced by `rows`; "<none>" when
  // the merge gives no text.
  std::string Merge(const std::string& templateBytes, const char* rows) {
    EXPECT_TRUE(WriteBytes(file, templateBytes));
    const char* markers[] = {"@data"};
    const std::string_view replacements[] = {rows};
    std::string merged;
    return TemplateMerger::MergeTemplate(markers, replacements, 1, file.c_str(), merged, error) ? merged
                                                                                                : "<none>";
  }

  std::string folder;
  std::string file;
  std::string error;
};

TEST_F(TemplateMerge, EveryMarkerGetsTheRows) {
  EXPECT_EQ("<table>\n<TR>a</TR>\n</table>\n<table><TR>a</TR></table>\n",
            Merge("<table>\n@data\n</table>\n<table>@data</table>\n", "<TR>a</TR>"));
  EXPECT_EQ("", error);
}

TEST_F(TemplateMerge, ATemplateWithoutTheMarkerPassesUnchanged) {
  EXPECT_EQ("<p>@DATA @dat a</p>\n\n<p>表</p>\n", Merge("<p>@DATA @dat a</p>\n\n<p>表</p>\n", "rows"));
}

TEST_F(TemplateMerge, AnEmptyTemplateGivesAnEmptyPage) { EXPECT_EQ("", Merge("", "rows")); }

TEST_F(TemplateMerge, LinesLongerThanOnePieceArriveWhole) {
  std::string longLine(5000, 'L');
  longLine[2500] = '@';
  EXPECT_EQ(longLine + "\nX<TR>\n", Merge(longLine + "\n@data<TR>\n", "X"));
  std::string withMarkerAcrossPieces = std::string(1021, 'p') + "@data" + std::string(10, 'q');
  EXPECT_EQ(std::string(1021, 'p') + "R" + std::string(10, 'q'), Merge(withMarkerAcrossPieces, "R"));
}

TEST_F(TemplateMerge, CarriageReturnLineFeedsAreReadAsLineFeedsOnWindows) {
#ifdef _WIN32
  EXPECT_EQ("a\nrows\n", Merge("a\r\n@data\r\n", "rows"));
#else
  EXPECT_EQ("a\r\nrows\r\n", Merge("a\r\n@data\r\n", "rows"));
#endif
}

TEST_F(TemplateMerge, TheMergedPageHoldsNoMarkerUnlessTheRowsHoldIt) {
  EXPECT_EQ("<p>@@</p>\n", Merge("<p>@@datadata</p>\n", "@"));
  // Rows holding the marker would never let the replacing end: once each.
  EXPECT_EQ("[x@datay]-[x@datay]", Merge("[@data]-[@data]", "x@datay"));
}

TEST_F(TemplateMerge, MarkersAreReplacedInArrayOrder) {
  ASSERT_TRUE(WriteBytes(file, "@a @b"));
  const char* markers[] = {"@a", "@b"};
  const std::string_view replacements[] = {"@b!", "B"};
  std::string merged;
  ASSERT_TRUE(TemplateMerger::MergeTemplate(markers, replacements, 2, file.c_str(), merged, error));
  EXPECT_EQ("B! B", merged);
}

TEST_F(TemplateMerge, AMissingFileGivesNoTextAndNamesTheFile) {
  const char* markers[] = {"@data"};
  const std::string_view replacements[] = {"rows"};
  std::string merged;
  EXPECT_FALSE(TemplateMerger::MergeTemplate(markers, replacements, 1, "no_such_template.html", merged, error));
  EXPECT_EQ("ファイル[no_such_template.html]は、オープンできません。", error);
  ASSERT_TRUE(WriteBytes(file, "ok"));
  std::string laterError;
  EXPECT_TRUE(TemplateMerger::MergeTemplate(markers, replacements, 1, file.c_str(), merged, laterError));
  EXPECT_EQ("", laterError);
}

TEST(ReplaceAll, ReplacesEveryOccurrenceAndLeavesTheInputAlone) {
  std::string text = "ab@data@datacd@data";
  EXPECT_EQ("ab--cd-", TemplateMerger::ReplaceAll("@data", "-", text));
  EXPECT_EQ("abcd", TemplateMerger::ReplaceAll("@data", "", text));
  EXPECT_EQ("ab@data@datacd@data", text);
  EXPECT_EQ("ab@data@datacd@data", TemplateMerger::ReplaceAll("", "-", text));
}

struct ReplaceCase {
  const char* marker;
  const char* replacement;
  const char* text;
  const char* replaced;
};

TEST(ReplaceAll, SearchesAgainFromTheStartAfterEachReplacement) {
  const ReplaceCase cases[] = {
      // Markers a replacement forms with the text around it go too.
      {"@data", "@", "@@datadata", "@@"},
      {"aa", "a<a", "aaa", "a<a<a"},
      {"aa", "ba", "aaaa", "bbba"},
      {"@data", "", "@@datadatadata", "data"},
      {"aa", "X", "aaaaa", "XXa"},
      {"ab", "ba", "aaabbb", "bbbaaa"},
      // Table rows form no marker: one replacement per occurrence.
      {"@data", "<TR>1</TR>", "<table>@data</table>@data\n", "<table><TR>1</TR></table><TR>1</TR>\n"},
      // A replacement that holds the marker is inserted once per occurrence.
      {"@data", "x@datay", "@data@data", "x@datayx@datay"},
  };
  for (const ReplaceCase& c : cases) {
    EXPECT_EQ(c.replaced, TemplateMerger::ReplaceAll(c.marker, c.replacement, c.text))
        << c.marker << " by " << c.replacement << " in " << c.text;
  }
}

// Merges that end run to their end even when they take far more
// replacements than the text has bytes; merges that keep forming the marker
// while the text grows are inserted once per occurrence instead.
TEST(ReplaceAll, MergesThatEndFinishAndMergesThatGrowWithoutEndStop) {
  const std::string sixtyA(60, 'a');
  const std::string sixtyB(60, 'b');
  const std::string unsorted = sixtyA + sixtyB;
  const std::string sortedBack = sixtyB + sixtyA;
  const std::string growing = sixtyA + "b";
  const std::string grownOnce = std::string(59, 'a') + "bbaa";
  const ReplaceCase cases[] = {
      {"ab", "ba", "aaaaabbbb", "bbbbaaaaa"},  // 20 replacements
      {"ab", "bba", "aaab", "bbbbbbbbaaa"},
      {"ab", "ba", unsorted.c_str(), sortedBack.c_str()},  // 3600 replacements
      // "aab", "abbaa", "bbaabaa", ... never ends.
      {"ab", "bbaa", "aab", "abbaa"},
      {"ab", "bbaa", growing.c_str(), grownOnce.c_str()},
      // Ends, but only after doubling its "b" once per "a": far beyond the bound.
      {"ab", "bba", "aaaaaaab", "aaaaaabba"},
  };
  for (const ReplaceCase& c : cases) {
    EXPECT_EQ(c.replaced, TemplateMerger::ReplaceAll(c.marker, c.replacement, c.text))
        << c.marker << " by " << c.replacement << " in " << c.text;
  }
}

TEST(FindText, FirstOccurrenceByteForByte) {
  const std::string text = "xx\x95\x5C@data@data";  // 表 with its trail byte 0x5C
  EXPECT_EQ(4, TemplateMerger::FindText(text.data(), text.size(), "@data"));
  EXPECT_EQ(2, TemplateMerger::FindText(text.data(), text.size(), "\x95\x5C"));
  EXPECT_EQ(-1, TemplateMerger::FindText(text.data(), text.size(), "@DATA"));
  EXPECT_EQ(-1, TemplateMerger::FindText(text.data(), text.size(), ""));
  EXPECT_EQ(-1, TemplateMerger::FindText("", 0, "@"));
  EXPECT_EQ(-1, TemplateMerger::FindText(text.data(), 8, "@data"));  // only the first `length` bytes count
  EXPECT_EQ(0, TemplateMerger::FindText("ab", 2, "ab"));
}

TEST(ReplaceAll, TextsFarLongerThanTheReadPiecesAreReplacedWhole) {
  std::string text;
  std::string expected;
  for (int i = 0; i < 3000; ++i) {
    text += "0123456789@da";
    text += i % 2 == 0 ? "ta" : "";
    expected += i % 2 == 0 ? "0123456789<>" : "0123456789@da";
  }
  EXPECT_EQ(expected, TemplateMerger::ReplaceAll("@data", "<>", text));
  // A replacement that forms the marker again with the text before it.
  EXPECT_EQ(std::string(3000, 'r') + "@@",
            TemplateMerger::ReplaceAll("@data", "@", std::string(3000, 'r') + "@@datadata"));
}

}  // namespace
