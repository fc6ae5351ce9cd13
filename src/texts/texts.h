#pragma once
// Every text the user sees, in Czech, English and German (UTF-8). Indexed by the stored
// language number: 0 Czech, 1 English, 2 German.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "params/device_image.h"

namespace qm17 {

enum MessageId : int {
  MsgProgramError = 0,
  MsgVerifyError,
  MsgReadError,
  MsgProgramming,
  MsgVersionMismatch,
  MsgVerifying,
  MsgReading,
  MsgAdvancePrefix,
  MsgProgramCountPrefix,
  MsgStartLimiterPrefix,
  MsgRetardPrefix,
  MsgYes,
  MsgNo,
  MsgPolarityPrefix,
  MsgPositive,
  MsgNegative,
  MsgComOpenError,
  MsgOpenFileError,
  MsgAskDefaults,
  kMessageCount
};

// The message table: any entry in any language, at any moment. An index out of range yields
// an empty text rather than reading past the table.
const std::string& MessageTexts(Language language, int entry);

// One row of the window's text table: the control's object name, the property set
// ("caption", "hint", "items"; items separated by '\n'), and the text per language.
struct UiTextRow {
  const char* element;  // object name; "TFormHlav" for the window caption
  const char* property;
  const char* text[kLanguageCount];  // by language number
};
// Every row in the order the window applies them; a text shared by two controls appears once
// per control. The hints of the ten port items are built from ComItemHint instead.
std::span<const UiTextRow> UiTextTable();

const char* ComItemHint(Language language);              // followed by " " and the port number
const char* NoConnectionText(Language language);         // LabelSpojeni's caption
const char* FileVersionMismatchText(Language language);  // "Unmatched version of *.ign file!"
const char* PrintHeaderText(Language language);          // "Date and Time of printing:  "
const char* HelpDocumentName(Language language);         // "VELMOR_QM_17_en.doc" ...
// The About text with the build date and time, at most 199 characters (code points, so a
// multi-byte letter is never cut in half).
inline constexpr std::size_t kAboutTextLimit = 199;
std::string AboutText(Language language, const char* buildDate, const char* buildTime);

}  // namespace qm17
