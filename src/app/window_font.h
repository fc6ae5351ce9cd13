#pragma once
// The font the windows are drawn in, chosen once the application object exists.

namespace qm17 {

// Linux keeps the desktop's font. Windows takes the system's message font, since the
// toolkit's default there may resolve to a serif (as under Wine), else a sans serif that
// Windows ships.
void ChooseWindowFont();

}  // namespace qm17
