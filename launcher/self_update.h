// The launcher's self-update: the version check of the menu's start-up and
// the download of the update program from the system menu.
#pragma once

#include "platform/message_box.h"

// Fetches the version list from DLSrvPath + DLIniFile into the launcher's
// folder (keeping the copy already there when that fails), and when the list
// names a version above SystemVer and the user agrees, fetches every listed
// file into the folder and records the new version. Reports the outcome in
// message boxes owned by `owner`; never throws. Without a version list there
// is nothing to check and nothing is shown. With Secure on, an address that
// is not https (DLSrvPath or a listed one) stops the update before anything
// is fetched, and a list server whose certificate does not check out fails
// it; both are told.
void CheckForUpdate(platform::WindowHandle owner);

// Fetches the update program "marlopup.exe" from the maker's web host (over
// https when Secure is on) to the root of drive C. True when it arrived
// whole; false on any failure, errors of the internet layer included.
bool DownloadUpdateProgram();
