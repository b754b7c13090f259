// The installation's switch between plain HTTP and HTTPS (the key Secure in
// the settings file's system section), and the addresses it lets the
// programs fetch.
#pragma once

#include <string>

// Whether a value of the Secure key turns HTTPS on. An empty value (the key
// missing), "0", "no", "false" and "off" in any letter case leave plain
// HTTP; every other value turns HTTPS on, so a mistyped value errs on the
// side of keeping the credentials out of clear text.
bool SecureSettingOn(const std::string& value);

// True when `address` names the https scheme (in any letter case).
bool IsHttpsAddress(const std::string& address);
