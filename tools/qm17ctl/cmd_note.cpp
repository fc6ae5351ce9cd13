// The note command: shows or sets the note a parameter file keeps beside its set.

#include <algorithm>
#include <cstddef>
#include <iostream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "commands.h"
#include "files/atomic_file.h"
#include "files/parameter_file.h"
#include "texts/printable.h"
#include "texts/texts.h"

namespace qm17::ctl {

namespace {

extern const Command kNote;

int RunNote(const CommandContext& context, const std::vector<std::string>& args) {
  std::vector<std::string> operands;
  for (const std::string& arg : args) {
    if (arg.size() > 1 && arg[0] == '-') return UsageError(context, kNote, "unknown option " + arg);
    operands.push_back(arg);
  }
  if (operands.empty() || operands.size() > 2)
    return UsageError(context, kNote, "expected FILE and at most one TEXT");
  const std::string& file = operands[0];
  if (file == "-") return UsageError(context, kNote, "FILE must be a file");
  const std::optional<std::string> content = ReadWholeFile(file);
  if (!content) {
    context.err << Message(context, MsgOpenFileError) << ' ' << Printable(file) << '\n';
    return kExitFailure;
  }
  // Only a parameter file of the right version gets a note: anything else is left alone.
  DeviceImage image{};
  if (!ReadParameterFile(*content, image)) {
    context.err << FileVersionMismatchText(context.language) << ' ' << Printable(file) << '\n';
    return kExitFailure;
  }
  if (operands.size() == 1) {
    const std::string note = ReadParameterNote(*content);
    // Line by line: a terminal gets no control character, the line ends stay.
    for (std::size_t start = 0; start < note.size();) {
      const std::size_t end = std::min(note.find('\n', start), note.size());
      context.out << Printable(note.substr(start, end - start)) << '\n';
      start = end + 1;
    }
    return OutputWritten(context) ? kExitOk : kExitFailure;
  }
  std::string text = operands[1];
  if (text == "-") {
    const std::optional<std::string> input = ReadWholeStream(std::cin);
    if (!input) {
      context.err << "qm17ctl note: standard input cannot be read\n";
      return kExitFailure;
    }
    text = *input;
  }
  if (!WriteFileAtomically(file, WithParameterNote(*content, text))) {
    context.err << Message(context, MsgOpenFileError) << ' ' << Printable(file) << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

const Command kNote{
    "note", "FILE [TEXT]", "show FILE's note, or set it to TEXT ('': none, '-': standard input)",
    "The note (customer, bike, what changed) stands in lines of its own before the file's\n"
    "key, where programs that read the file format ignore it; the set itself and every other\n"
    "line stay exactly as they are. The file is replaced only once it is completely written.\n"
    "show, history and File > History in the window show the note; program --note TEXT keeps\n"
    "another one in the history entry.\n",
    RunNote};

const Command kNoteCommands[] = {kNote};

}  // namespace

std::span<const Command> NoteCommands() {
  return kNoteCommands;
}

}  // namespace qm17::ctl
