#include "server/config/server_options.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <set>
#include <vector>

#include "server/config/config_file.h"
#include "server/http/client_address.h"

namespace {

constexpr long MAX_PORT = 65535;
constexpr long LARGEST_COUNT = 1'000'000;
constexpr long LONGEST_SECONDS = 86'400;
constexpr const char* CONFIG_NAME = "config";

// How one option is read: its name, and what its value sets.
struct OptionRule {
  const char* name;
  // For an option that may be given several times: forgets its values, so
  // the command line replaces those of the file. Empty for the others.
  std::function<void(ServerOptions& options)> reset;
  // Sets the option; false with `reason` set when the value does not fit.
  std::function<bool(const std::string& value, ServerOptions& options, std::string& reason)> apply;
  // A switch: on the command line it stands alone, in the file its value
  // is yes or no.
  bool isSwitch = false;
};

// A whole decimal number from `low` to `high`, nothing else in the text.
bool ParseNumber(const std::string& text, long low, long high, long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, 10);
  return end != text.c_str() && *end == '\0' && errno != ERANGE && value >= low && value <= high;
}

bool IsIpv4(const std::string& text) {
  in_addr address;
  return inet_pton(AF_INET, text.c_str(), &address) == 1;
}

// An option whose value is a whole number from `low` to `high`.
template <typename Assign>
OptionRule Whole(const char* name, long low, long high, Assign assign) {
  return {name, nullptr, [=](const std::string& value, ServerOptions& options, std::string& reason) {
            long number = 0;
            if (ParseNumber(value, low, high, number)) return assign(options, number), true;
            reason = "not a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high);
            return false;
          }};
}

template <typename Assign>
OptionRule Text(const char* name, Assign assign) {
  return {name, nullptr, [=](const std::string& value, ServerOptions& options, std::string&) {
            assign(options, value);
            return true;
          }};
}

bool ApplyAddress(const std::string& value, std::string& address, std::string& reason) {
  if (IsIpv4(value)) return address = value, true;
  reason = "not an IPv4 address";
  return false;
}

bool ApplyHostPort(const std::string& value, ServerOptions& options, std::string& reason) {
  size_t colon = value.rfind(':');
  long port = 0;
  if (colon == std::string::npos || !IsIpv4(value.substr(0, colon)) ||
      !ParseNumber(value.substr(colon + 1), 1, MAX_PORT, port)) {
    reason = "not an IPv4 address and port, HOST:PORT";
    return false;
  }
  options.metricsAddress = value.substr(0, colon);
  options.metricsPort = static_cast<int>(port);
  return true;
}

bool ApplySwitch(const std::string& value, bool& on, std::string& reason) {
  if (value == "yes" || value == "no") return on = value == "yes", true;
  reason = "not yes or no";
  return false;
}

using Seconds = std::chrono::seconds;

// Every option of the server; adding one is adding a line.
const std::vector<OptionRule>& Rules() {
  static const std::vector<OptionRule> rules = {
      Text("database", [](ServerOptions& o, const std::string& v) { o.store.database = v; }),
      Text("read-database", [](ServerOptions& o, const std::string& v) { o.store.readDatabase = v; }),
      {"address", nullptr, [](const std::string& v, ServerOptions& o, std::string& r) { return ApplyAddress(v, o.address, r); }},
      Whole("port", 1, MAX_PORT, [](ServerOptions& o, long n) { o.port = static_cast<int>(n); }),
      Text("access-log", [](ServerOptions& o, const std::string& v) { o.accessLog = v; }),
      {"metrics-address", nullptr, ApplyHostPort},
      {"trusted-proxy", [](ServerOptions& o) { o.limits.trustedProxies.clear(); },
       [](const std::string& v, ServerOptions& o, std::string& r) {
         std::string proxy;
         if (CanonicalAddress(v, proxy)) return o.limits.trustedProxies.push_back(proxy), true;
         r = "not an IP address";
         return false;
       }},
      Whole("max-connections", 1, LARGEST_COUNT, [](ServerOptions& o, long n) { o.limits.maxConnections = n; }),
      Whole("max-connections-per-address", 1, LARGEST_COUNT,
            [](ServerOptions& o, long n) { o.limits.maxConnectionsPerAddress = n; }),
      Whole("request-time", 1, LONGEST_SECONDS, [](ServerOptions& o, long n) { o.limits.requestTime = Seconds(n); }),
      Whole("sign-in-failures", 1, LARGEST_COUNT, [](ServerOptions& o, long n) { o.store.rules.failureLimit = n; }),
      Whole("sign-in-window", 1, LONGEST_SECONDS,
            [](ServerOptions& o, long n) { o.store.rules.failureWindow = Seconds(n); }),
      {"open-reads", nullptr,
       [](const std::string& v, ServerOptions& o, std::string& r) { return ApplySwitch(v, o.store.openReads, r); },
       true},
      Whole("usage-window", 1, LONGEST_SECONDS, [](ServerOptions& o, long n) { o.store.rules.usageWindow = Seconds(n); }),
  };
  return rules;
}

const OptionRule* FindRule(const std::string& name) {
  for (const OptionRule& rule : Rules()) {
    if (name == rule.name) return &rule;
  }
  return nullptr;
}

constexpr const char* SWITCH_ON = "yes";

struct CommandLineOption {
  std::string name;  // without "--"
  std::string value;
};

// The command line as options with their values (a switch's being "yes").
bool SplitCommandLine(int argc, char** argv, std::vector<CommandLineOption>& split, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    if (flag.rfind("--", 0) != 0) {
      error = "\"" + flag + "\" is not an option";
      return false;
    }
    std::string name = flag.substr(2);
    const OptionRule* rule = FindRule(name);
    if (rule != nullptr && rule->isSwitch) {
      split.push_back({name, SWITCH_ON});
    } else if (i + 1 < argc) {
      split.push_back({name, argv[++i]});
    } else {
      error = "option " + flag + " has no value";
      return false;
    }
  }
  return true;
}

}  // namespace

bool ApplyServerOption(const std::string& name, const std::string& value, ServerOptions& options,
                       std::string& error) {
  const OptionRule* rule = FindRule(name);
  if (rule == nullptr) {
    error = "unknown option \"" + name + "\"";
    return false;
  }
  std::string reason;
  if (rule->apply(value, options, reason)) return true;
  error = name + " = " + value + ": " + reason;
  return false;
}

bool LoadServerConfigFile(const std::string& path, ServerOptions& options, std::string& error) {
  std::vector<ConfigEntry> entries;
  if (!ReadConfigFile(path, entries, error)) return false;
  std::set<std::string> seen;
  for (const ConfigEntry& entry : entries) {
    std::string reason;
    const OptionRule* rule = FindRule(entry.key);
    if (rule == nullptr) {
      reason = "unknown key \"" + entry.key + "\"";
    } else if (!rule->reset && !seen.insert(entry.key).second) {
      reason = entry.key + " is set twice";
    } else if (ApplyServerOption(entry.key, entry.value, options, reason)) {
      continue;
    }
    error = path + ":" + std::to_string(entry.line) + ": " + reason;
    return false;
  }
  return true;
}

bool LoadServerOptions(int argc, char** argv, ServerOptions& options, std::string& error) {
  std::vector<CommandLineOption> split;
  if (!SplitCommandLine(argc, argv, split, error)) return false;
  std::string config;
  for (const CommandLineOption& option : split) {
    if (option.name != CONFIG_NAME) continue;
    if (!config.empty()) {
      error = "--config is given twice";
      return false;
    }
    config = option.value;
  }
  if (!config.empty() && !LoadServerConfigFile(config, options, error)) return false;
  std::set<std::string> replaced;
  for (const CommandLineOption& option : split) {
    if (option.name == CONFIG_NAME) continue;
    const OptionRule* rule = FindRule(option.name);
    if (rule != nullptr && rule->reset && replaced.insert(option.name).second) rule->reset(options);
    if (!ApplyServerOption(option.name, option.value, options, error)) return false;
  }
  if (options.store.database.empty()) {
    error = "no database: give --database or database in the --config file";
    return false;
  }
  return true;
}
