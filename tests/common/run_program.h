#pragma once
// Runs a built program as a user would, its standard streams in files, and waits for it.

#include <filesystem>
#include <string>
#include <vector>

namespace qm17::test {

// The system's empty input: "/dev/null", or "NUL" on Windows.
extern const char kNullDevice[];

// Runs `program` with `args` (UTF-8), standard input read from `input`, standard output and
// errors written to the files `output` and `errors` (created or emptied). A program named
// without a folder is the one beside the running test program: a cross build's paths are the
// build machine's, which mean nothing where the tests run. Returns the exit status, or -1
// when the program did not start or did not end by exiting.
int RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
               const std::filesystem::path& input, const std::filesystem::path& output,
               const std::filesystem::path& errors);

}  // namespace qm17::test
