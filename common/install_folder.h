// The install folder: the running executable's own, which holds the
// settings and credentials files. Both programs check it as they start.
#pragma once

#include <string>

// True when the settings and credentials files can be named; false when
// the folder's path leaves them no room (InstallFolderUnusableMessage tells
// the user).
bool InstallFolderUsable();

// The message that tells the user the files of the install folder cannot be
// used, naming the folder.
std::string InstallFolderUnusableMessage();
