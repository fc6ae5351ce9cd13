#pragma once
// The commands of qm17ctl that talk to a unit: read, verify, program and monitor.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qm17::ctl {

// Exit statuses of the device commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // failed or mismatched operation, no answer
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPortError = 3;  // the port cannot be opened

// True for "read", "verify", "program" and "monitor".
bool IsDeviceCommand(std::string_view name);

// Runs one device command; `args` are the words after the command name.
int RunDeviceCommand(std::string_view name, const std::vector<std::string>& args);

// The usage lines of the device commands, for the tool's help text.
void PrintDeviceUsage(std::FILE* out);

}  // namespace qm17::ctl
