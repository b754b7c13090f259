// The version list of the self-update: a text file in the launcher's folder
// whose first line names the newest version and whose further lines are the
// addresses of the files that make up that version.
#pragma once

#include <string>
#include <vector>

struct VersionList {
  int version = 0;                     // the first line as a decimal number
  std::vector<std::string> addresses;  // the non-empty further lines, in order
};

// Reads a version list from the bytes of the file. Lines end at a line feed;
// a carriage return in front of it belongs to the line ending too, so a list
// stored with CR LF reads the same as one with LF alone.
VersionList ParseVersionList(const std::string& text);

// A version as a decimal number: optional leading blanks and sign, then the
// digits up to the first other character; no digits give 0, and numbers
// beyond the range of int are held at its limits. "12 beta" is 12, "" is 0.
int VersionNumber(const std::string& text);

// The name under which the file at `address` is stored in the launcher's
// folder: the text after the last "/", or the whole address when it has none.
// Empty when that name could reach outside the folder or is no valid file
// name (empty, "." or "..", or holding "\", ":" or another character that a
// file name cannot hold), so a crafted list cannot write elsewhere.
std::string DownloadFileName(const std::string& address);
