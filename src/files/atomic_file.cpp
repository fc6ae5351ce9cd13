#include "files/atomic_file.h"

#include <filesystem>
#include <fstream>
#include <istream>
#include <system_error>

#include "files/file_names.h"

// The writes and the regular-file reads are the system's own: posix_atomic_file.cpp and
// win32_atomic_file.cpp.

namespace qm17 {

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  const std::filesystem::path name = PathFromUtf8(path);
  std::error_code error;
  if (std::filesystem::is_directory(name, error)) return std::nullopt;
  std::ifstream in(name, std::ios::binary);
  if (!in) return std::nullopt;
  return ReadWholeStream(in, maxBytes);
}

std::optional<std::string> ReadWholeStream(std::istream& in, std::size_t maxBytes) {
  std::string content;
  char chunk[65536];
  while (in) {
    in.read(chunk, sizeof chunk);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > maxBytes - content.size()) return std::nullopt;
    content.append(chunk, got);
  }
  if (in.bad()) return std::nullopt;
  return content;
}

}  // namespace qm17
