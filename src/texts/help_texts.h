#pragma once
// Texts of the program's own manual: its file name per language and what Help > Contents says
// when no document can be shown.

#include "params/device_image.h"

namespace qm17 {

// "qm17-en.html", "qm17-cs.html", "qm17-de.html".
const char* ManualFileName(Language language);

enum HelpTextId : int {
  HelpManualNotOpened = 0,  // "%1": the manual's file, which no browser took
  HelpManualMissing,        // "%1": the folder the manual belongs in
  kHelpTextCount
};

// Empty for an id or language out of range.
const char* HelpText(Language language, int id);

}  // namespace qm17
