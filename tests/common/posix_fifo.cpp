#include <sys/stat.h>

#include <QFile>

#include "common/fifo.h"

namespace qm17::test {

const bool kFileSystemHasFifos = true;

bool MakeFifo(const QString& path) {
  return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

}  // namespace qm17::test
