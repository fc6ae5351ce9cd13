#pragma once
// Named pipes in the file system, which a file dialog may name; POSIX has them, Windows not.

#include <QString>

namespace qm17::test {

extern const bool kFileSystemHasFifos;
// Makes a FIFO at `path`; false when it could not (or the system has none).
bool MakeFifo(const QString& path);

}  // namespace qm17::test
