// The self-update's file download. The file arrives beside its target under
// a temporary name and takes the target's place only once it is complete, so
// a failed or interrupted download leaves the previous file as it was.
// Windows only: it needs the internet layer.
#pragma once

// Fetches `url` into `localPath` as SettingsFile::DownloadFile describes,
// `secure` following no redirect; the address is not checked here.
bool FetchUrlToFile(const char* localPath, const char* url, bool secure);
