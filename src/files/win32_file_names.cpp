#include <windows.h>

#include "files/file_names.h"
#include "files/win32_text.h"

namespace qm17 {

const std::size_t kLongestPathBytes = 3 * 32767;  // at most three UTF-8 bytes per UTF-16 unit

std::filesystem::path PathFromUtf8(const std::string& name) {
  return std::filesystem::path(WideFromUtf8(name));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  return Utf8FromWide(path.native());
}

std::string Utf8FromEarlierName(const std::string& name) {
  const int size = static_cast<int>(name.size());
  if (name.empty() ||
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(), size, nullptr, 0) > 0) {
    return name;
  }
  const int length = ::MultiByteToWideChar(CP_ACP, 0, name.data(), size, nullptr, 0);
  if (length <= 0) return name;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), length);
  return Utf8FromWide(wide);
}

}  // namespace qm17
