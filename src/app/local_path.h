#pragma once
// File names between the window and the core. Inside the program a name is the bytes the
// file system takes (UTF-8 on Windows, whatever bytes a Linux name holds); the window shows it
// as text.

#include <QString>
#include <string>
#include <string_view>

namespace qm17 {

// The name to open a file by.
std::string LocalPath(const QString& path);
// The name as the window shows and edits it; LocalPath gives the same bytes back.
QString FromLocalPath(std::string_view bytes);

}  // namespace qm17
