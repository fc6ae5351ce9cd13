#pragma once
// File names are UTF-8 throughout the program. These turn them into the library's paths and
// back without any code page in between: on Windows a narrow name would go through the ANSI
// code page and lose letters ("Příklad.ign" saved as "Príklad.ign"); on Linux the bytes pass
// unchanged, whatever they are.

#include <cstddef>
#include <filesystem>
#include <string>

namespace qm17 {

std::filesystem::path PathFromUtf8(const std::string& name);
std::string Utf8FromPath(const std::filesystem::path& path);

// A name an earlier installation stored in its settings: on Windows it wrote the ANSI code
// page ("C:\Zapalování" in Windows-1250), which is made UTF-8 here; text that is UTF-8
// already, and every name on Linux, passes unchanged.
std::string Utf8FromEarlierName(const std::string& name);

// The longest name, in UTF-8 bytes, that the system takes for a path (PATH_MAX; 32767 UTF-16
// units on Windows): a longer name from a settings file is no path at all.
extern const std::size_t kLongestPathBytes;

}  // namespace qm17
