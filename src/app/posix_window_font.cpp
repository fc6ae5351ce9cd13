#include "app/window_font.h"

namespace qm17 {

// The desktop's font settings reach Qt through the platform theme already.
void ChooseWindowFont() {}

}  // namespace qm17
