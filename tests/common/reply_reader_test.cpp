#include "common/reply_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Outcome {
  std::string result;
  int rowCount;
  bool failed;
};

bool operator==(const Outcome& a, const Outcome& b) {
  return a.result == b.result && a.rowCount == b.rowCount && a.failed == b.failed;
}

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  return out << "{result \"" << o.result << "\", rows " << o.rowCount << ", failed " << o.failed << "}";
}

// Feeds `body` in pieces of `pieceSize` bytes (the whole body when 0).
Outcome ReadInPieces(const std::string& body, std::size_t pieceSize, const std::string& terminator = ",\n",
                     const std::string& before = "") {
  Outcome outcome{before, 0, false};
  ReplyReader reader(terminator, outcome.result);
  if (pieceSize == 0) pieceSize = body.size() + 1;
  for (std::size_t at = 0; at < body.size(); at += pieceSize) {
    reader.Feed(body.data() + at, std::min(pieceSize, body.size() - at));
  }
  reader.Finish();
  outcome.rowCount = reader.RowCount();
  outcome.failed = reader.Failed();
  return outcome;
}

Outcome Read(const std::string& body) { return ReadInPieces(body, 0); }

TEST(ReplyReader, FirstLineIsNeverARow) {
  EXPECT_EQ(Read("OK\n"), (Outcome{"", 0, false}));
  EXPECT_EQ(Read("OK"), (Outcome{"", 0, false}));
  EXPECT_EQ(Read(""), (Outcome{"", 0, false}));
  EXPECT_EQ(Read("12345,x\n"), (Outcome{"", 0, false}));
}

TEST(ReplyReader, RowsGetTheTerminatorInOrder) {
  EXPECT_EQ(Read("OK\n10001\n10002\n"), (Outcome{"10001,\n10002,\n", 2, false}));
  EXPECT_EQ(ReadInPieces("OK\n10001\n10002\n", 0, "\n"), (Outcome{"10001\n10002\n", 2, false}));
}

TEST(ReplyReader, RowsFollowWhatTheResultAlreadyHeld) {
  EXPECT_EQ(ReadInPieces("OK\nrow\n", 0, ",\n", "kept,\n"), (Outcome{"kept,\nrow,\n", 1, false}));
}

TEST(ReplyReader, OnlyALineOfExactlyASemicolonIsSkipped) {
  EXPECT_EQ(Read("OK\na,b\n;\n;x\nx;\n ;\n;;\nc\n;\n"),
            (Outcome{"a,b,\n;x,\nx;,\n ;,\n;;,\nc,\n", 6, false}));
}

TEST(ReplyReader, EmptyLinesAfterTheFirstAreEmptyRows) {
  EXPECT_EQ(Read("OK\n\n"), (Outcome{",\n", 1, false}));
  EXPECT_EQ(Read("\n\n\n"), (Outcome{",\n,\n", 2, false}));
  EXPECT_EQ(ReadInPieces("OK\n\na\n", 0, "\n"), (Outcome{"\na\n", 2, false}));
}

TEST(ReplyReader, CarriageReturnsAreDroppedWhereverTheyStand) {
  EXPECT_EQ(Read("OK\r\nab\rcd\r\n\r\nlast\r\n"), (Outcome{"abcd,\n,\nlast,\n", 3, false}));
  EXPECT_EQ(Read("OK\r\n\r\r\n"), (Outcome{",\n", 1, false}));
  // A carriage return is no line end of its own.
  EXPECT_EQ(Read("OK\rrow\n"), (Outcome{"", 0, false}));
  // After the last line feed, carriage returns alone make no further line.
  EXPECT_EQ(Read("OK\nrow\n\r"), (Outcome{"row,\n", 1, false}));
  // ";" with carriage returns around it is still exactly ";".
  EXPECT_EQ(Read("OK\r\n\r;\r\nrow\r\n"), (Outcome{"row,\n", 1, false}));
}

TEST(ReplyReader, ALastLineWithoutLineFeedIsALine) {
  EXPECT_EQ(Read("OK\nfirst\nlast"), (Outcome{"first,\nlast,\n", 2, false}));
  EXPECT_EQ(Read("OK\n;"), (Outcome{"", 0, false}));
}

TEST(ReplyReader, ErrorOnAnyLineFailsButReadingGoesOn) {
  EXPECT_EQ(Read("ERROR: no such table\nrow\n"), (Outcome{"row,\n", 1, true}));
  EXPECT_EQ(Read("OK\nr1\nx ERROR: failed\nr3\n"), (Outcome{"r1,\nx ERROR: failed,\nr3,\n", 3, true}));
  EXPECT_EQ(Read("OK\nlast ERROR:"), (Outcome{"last ERROR:,\n", 1, true}));
  // Only the exact, upper-case mark counts.
  EXPECT_EQ(Read("OK\nerror: x\nERROR x\nERR:OR\n"), (Outcome{"error: x,\nERROR x,\nERR:OR,\n", 3, false}));
  // The carriage return inside is dropped before the search.
  EXPECT_EQ(Read("OK\nERR\rOR:\n").failed, true);
}

// A caller tells one refusal from another by the first error line.
TEST(ReplyReader, KeepsTheFirstErrorLineAsItStood) {
  struct Case {
    const char* body;
    const char* errorLine;
  } cases[] = {
      {"ERROR: the monthly allowance of rows is used up\n", "ERROR: the monthly allowance of rows is used up"},
      {"ERROR: first\r\nERROR: second\n", "ERROR: first"},
      {"OK\nrow\nx ERROR: late", "x ERROR: late"},
      {"OK\nrow\n;\n", ""},
  };
  for (const Case& c : cases) {
    std::string result;
    ReplyReader reader(",\n", result);
    reader.Feed(c.body, std::string(c.body).size());
    reader.Finish();
    EXPECT_EQ(c.errorLine, reader.ErrorLine()) << c.body;
  }
}

TEST(ReplyReader, BytesAboveAsciiAndZeroBytesPassUnchanged) {
  const std::string row("12345,\x95\x5c\x8e\xa6,a\0b", 13);
  EXPECT_EQ(Read("OK\n" + row + "\n"), (Outcome{row + ",\n", 1, false}));
}

// Every way of cutting the body into pieces gives the same outcome as the
// whole body at once: cuts inside CR LF pairs, inside "ERROR:", right after
// the first line and before a missing last line feed.
TEST(ReplyReader, PieceBoundariesDoNotMatter) {
  const std::vector<std::string> bodies = {
      "OK\r\nab\rcd\r\n\r\nlast\r\n",
      "ERROR: bad\r\nrow\r\n;\r\n",
      "OK\nr1\nxERROR:y\n;\n\nend",
      "OK\r\n\r\n;\r\n;;\r\nERR\rOR:\r\n",
      "\r\n\r\n\r\n",
  };
  for (const std::string& body : bodies) {
    const Outcome whole = Read(body);
    for (std::size_t size = 1; size <= body.size(); ++size) {
      EXPECT_EQ(ReadInPieces(body, size), whole) << "pieces of " << size;
    }
    for (std::size_t cut = 0; cut <= body.size(); ++cut) {
      Outcome outcome{"", 0, false};
      ReplyReader reader(",\n", outcome.result);
      reader.Feed(body.data(), cut);
      reader.Feed(body.data() + cut, 0);
      reader.Feed(body.data() + cut, body.size() - cut);
      reader.Finish();
      outcome.rowCount = reader.RowCount();
      outcome.failed = reader.Failed();
      EXPECT_EQ(outcome, whole) << "cut at " << cut;
    }
  }
}

}  // namespace
