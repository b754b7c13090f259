// Reads the body of a server reply into rows, whatever size the pieces of the
// body arrive in. The body is lines ended by line feeds; every carriage
// return is dropped wherever it stands, and a last line without a line feed
// is still a line. A line holding "ERROR:" anywhere marks the reply failed,
// but reading goes on. The first line (line 0) carries no row data and a
// line that is exactly ";" closes a statement's rows; every other line, an
// empty one too, is one row, appended to the result text with the row
// terminator after it.
#pragma once

#include <cstddef>
#include <string>

class ReplyReader {
 public:
  // Rows are appended to `result`, each followed by `rowTerminator`;
  // `result` must outlive the reader and what it already holds stays in
  // front of the rows.
  ReplyReader(const std::string& rowTerminator, std::string& result);

  // Takes the next `length` bytes of the body.
  void Feed(const char* bytes, std::size_t length);

  // Ends the body: a last line without a line feed becomes a line now.
  void Finish();

  // True when some line held "ERROR:".
  bool Failed() const { return failed; }

  // The first line that held "ERROR:", as it stood (carriage returns
  // dropped); empty when none did.
  const std::string& ErrorLine() const { return errorLine; }

  // Rows appended so far; rows stay appended after a failure.
  int RowCount() const { return rowCount; }

 private:
  void TakeLine();

  std::string rowTerminator;
  std::string& result;
  std::string line;  // the line read so far, carriage returns dropped
  bool pastFirstLine = false;  // the first line is the server's status, never a row
  int rowCount = 0;
  bool failed = false;
  std::string errorLine;
};
