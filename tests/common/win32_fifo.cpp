#include "common/fifo.h"

namespace qm17::test {

const bool kFileSystemHasFifos = false;

bool MakeFifo(const QString&) {
  return false;
}

}  // namespace qm17::test
