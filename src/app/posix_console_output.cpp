#include "app/console_output.h"

namespace qm17 {

void UseStartingConsole() {}

}  // namespace qm17
