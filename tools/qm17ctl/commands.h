#pragma once
// The commands of qm17ctl. Each group of commands lives in its own file and hands the
// dispatcher a table; the dispatcher handles the language option, help and usage errors.

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "params/device_image.h"

namespace qm17::ctl {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // a file or the unit failed; the message says which
inline constexpr int kExitUsage = 2;

struct CommandContext {
  Language language;
  std::ostream& out;
  std::ostream& err;
};

struct Command {
  const char* name;
  const char* synopsis;  // arguments after the command's name
  const char* summary;   // one line for the command list
  const char* details;   // further lines for "COMMAND --help"; may be empty
  // Arguments after the command's name, with "--lang" and "--help" already taken out.
  // A usage error prints `UsageError` and returns kExitUsage.
  int (*run)(const CommandContext& context, const std::vector<std::string>& args);
};

std::span<const Command> FileCommands();
std::span<const Command> DeviceCommands();  // read, verify, program, monitor
std::span<const Command> DiffCommands();
std::span<const Command> HistoryCommands();
std::span<const Command> PortCommands();  // ports
std::span<const Command> NoteCommands();
std::span<const Command> SheetCommands();

// Prints "qm17ctl: <problem>" and the command's usage to the error stream.
int UsageError(const CommandContext& context, const Command& command, const std::string& problem);
void PrintCommandHelp(std::ostream& out, const Command& command);

// The message of one entry of the message table, in the context's language.
std::string Message(const CommandContext& context, int entry);

// Output that could not be written (a full disk, a closed pipe) must not pass for success:
// prints why and returns false.
bool OutputWritten(const CommandContext& context);

// Reads the unit's parameter block on PORT into `unit` (its identification too) without
// writing anything to it. Returns kExitOk with the block, kExitFailure when the unit gave none,
// kExitUsage for a bad port name, 3 when the port cannot be opened.
int ReadUnitImage(const CommandContext& context, const std::string& port, DeviceImage& unit);

}  // namespace qm17::ctl
