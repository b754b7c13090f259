// The self-update's file download. The file arrives beside its target under
// a temporary name and takes the target's place only once it is complete, so
// a failed or interrupted download leaves the previous file as it was.
// Windows only: it needs the internet layer.
#pragma once

#include <string>

// False when `url` must not be fetched: with `secure` (the settings' Secure),
// every address that is not https.
bool MayDownload(const std::string& url, bool secure);

// Fetches `url` (any absolute address the internet layer opens: http,
// https, ftp) into `localPath`, always from the server, never from or into
// the local cache; an https server's certificate is checked. True when the
// whole body replaced the file at localPath; false on an address MayDownload
// refuses (nothing is sent), an HTTP status other than 200 (with `secure`, a
// redirect too), a body shorter than the server announced or a file that
// cannot be written, leaving the old file as it was. Errors of the internet
// layer (a host that cannot be resolved or reached, a certificate that does
// not check out) leave as exceptions.
bool DownloadFile(const char* localPath, const char* url, bool secure);
