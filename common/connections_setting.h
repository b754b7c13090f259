// How many exchanges the viewer runs side by side with its data server (the
// key Connections in the settings file's system section).
#pragma once

#include <string>

// Without a usable value: like a browser's connections to one host.
constexpr int DEFAULT_CONNECTIONS = 6;
// More would only queue at the server, and open as many connections for a
// single user.
constexpr int MAX_CONNECTIONS = 16;

// The number a value of the Connections key asks for: decimal digits from 1
// up, MAX_CONNECTIONS for anything above it; an empty value (the key
// missing), 0, or anything that is not plain digits gives
// DEFAULT_CONNECTIONS. 1 sends one station after the other.
int ConnectionsSetting(const std::string& value);
