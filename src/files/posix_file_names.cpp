#include "files/file_names.h"

#include <climits>

namespace qm17 {

const std::size_t kLongestPathBytes = PATH_MAX - 1;  // PATH_MAX counts the closing NUL

// Names are bytes here: a name that is not UTF-8 (an old Latin-1 file) still opens.
std::filesystem::path PathFromUtf8(const std::string& name) {
  return std::filesystem::path(name);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  return path.native();
}

std::string Utf8FromEarlierName(const std::string& name) {
  return name;
}

}  // namespace qm17
