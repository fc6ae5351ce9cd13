#pragma once
// UTF-8 <-> UTF-16 for the wide Windows calls of this layer. Bytes that are not UTF-8, and
// lone surrogates in a name from the file system, become U+FFFD rather than failing.

#include <string>

namespace qm17 {

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

}  // namespace qm17
