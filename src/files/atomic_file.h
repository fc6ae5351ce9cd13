#pragma once
// Whole-file reads and crash-safe writes: a temporary file in the same folder, flushed to
// disk, then renamed over the old one, so an interrupted write leaves the old file intact.

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace qm17 {

// All names are UTF-8. A device or a pipe the user names (qm17ctl -o /dev/null, -o NUL) is
// written into, never replaced.
// An existing file that may not be written (read-only) is left alone and the write fails, as
// a plain create would; an existing file keeps its permissions. Where no temporary file can be
// made beside it (a folder the user may not write), an existing file is written in place.
bool WriteFileAtomically(const std::string& path, std::string_view content);

// The program's text files are a few hundred bytes. Anything longer than the limit is refused
// rather than read into memory: a device such as /dev/zero would never end.
inline constexpr std::size_t kMaxReadBytes = 1u << 20;
std::optional<std::string> ReadWholeFile(const std::string& path,
                                         std::size_t maxBytes = kMaxReadBytes);
std::optional<std::string> ReadWholeStream(std::istream& in, std::size_t maxBytes = kMaxReadBytes);

// For files that are only ever regular files (settings, side file, a parameter file opened in
// the window): a FIFO or a device in their place is refused without waiting on it, so that it
// can neither freeze the window while reading nor shutdown while writing. On Windows the
// same holds for NUL, CON, COM1 and the like, and for pipes.
std::optional<std::string> ReadRegularFile(const std::string& path,
                                           std::size_t maxBytes = kMaxReadBytes);
bool WriteRegularFileAtomically(const std::string& path, std::string_view content);

// Creates an empty file that must not exist yet (not through a link); false when the name is
// taken or the file cannot be made. Claims a name no other writer can then take.
bool CreateNewFile(const std::string& path);

}  // namespace qm17
