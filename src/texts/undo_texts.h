#pragma once
// Texts of undo and redo: the menu items and what the status line says a step brought back.

#include "params/device_image.h"

namespace qm17 {

enum UndoTextId : int {
  UndoMenuItem = 0,
  RedoMenuItem,
  UndoDone,         // "%1": what the step had changed
  RedoDone,         // "%1": the same
  UndoNothingLeft,  // nothing to undo
  RedoNothingLeft,
  UndoNotSent,  // after the step: the unit keeps what it holds until Program
  // What a step changed, in the order of SetChange.
  UndoChangeEdit,
  UndoChangeShift,
  UndoChangeCurvePoint,
  UndoChangePolarity,
  UndoChangeNew,
  UndoChangeOpen,
  UndoChangeRead,
  UndoChangeHistory,
  UndoChangeNote,
  kUndoTextCount
};

// Empty for an id or language out of range.
const char* UndoText(Language language, int id);

}  // namespace qm17
