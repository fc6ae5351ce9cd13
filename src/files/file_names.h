#pragma once
// File names are UTF-8 throughout the program. These turn them into the library's paths and
// back without any code page in between: on Windows a narrow name would go through the ANSI
// code page and lose letters ("Příklad.ign" saved as "Príklad.ign"); on Linux the bytes pass
// unchanged, whatever they are.

#include <filesystem>
#include <string>

namespace qm17 {

std::filesystem::path PathFromUtf8(const std::string& name);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace qm17
