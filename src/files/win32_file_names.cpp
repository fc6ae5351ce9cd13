#include <windows.h>

#include "files/file_names.h"
#include "files/win32_text.h"

namespace qm17 {

std::filesystem::path PathFromUtf8(const std::string& name) {
  return std::filesystem::path(WideFromUtf8(name));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  return Utf8FromWide(path.native());
}

}  // namespace qm17
