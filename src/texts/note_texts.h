#pragma once
// Texts of the set's note and of the setup sheet, additions of the program's own.

#include "params/device_image.h"

namespace qm17 {

enum NoteTextId : int {
  NoteMenuItem = 0,  // File menu: edit the set's note
  NoteMenuHint,      // short|long
  NoteDialogTitle,
  NoteDialogLabel,
  NoteOk,
  NoteCancel,
  NoteSaved,          // status bar, after the note was changed
  SheetMenuItem,      // File menu: write the setup sheet
  SheetMenuHint,      // short|long
  SheetFileFilter,    // the save dialog's filter
  SheetTitle,         // the page's heading and the document's title
  SheetDate,          // "Date:"
  SheetUnit,          // "Unit:", followed by its version, date and time
  SheetUnitNotKnown,  // when no unit has answered
  SheetNote,          // heading of the note
  SheetNoNote,        // no note
  SheetNoFile,        // the set was never saved
  SheetPoint,         // column head of the curve table
  SheetWritten,       // status bar, followed by the file
  SheetNoFolder,      // why the sheet was not written
  SheetIsFolder,
  SheetNotWritten,
  kNoteTextCount
};
// Empty for an id or language out of range.
const char* NoteText(Language language, int id);

}  // namespace qm17
