#pragma once
// Every text the user sees, in Czech, English and German (UTF-8). Indexed by the stored
// language number: 0 Czech, 1 English, 2 German.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "params/device_image.h"
#include "params/differences.h"

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

// Names that assistive technology announces for the 37 number boxes (property "name"). An
// element ending in '#' stands for the 15 curve points: '#' in its text becomes the number.
std::span<const UiTextRow> AccessibleNameTable();

// Texts of the serial-adapter dialog and of the reasons a port cannot be opened.
enum class PortTextId : int {
  MenuItem,  // the Com menu's last item
  MenuHint,  // its hint, "short|long"
  DialogTitle,
  ComLabel,
  AdaptersLabel,
  NoAdapters,
  Refresh,
  Assign,
  Cancel,
  NotPresent,  // causes: the second line under "Com opening error!"
  Permission,
  Busy,
  NotSerial,
  OtherFailure,
  kCount
};
const char* PortText(Language language, PortTextId id);

// The second line under a failure of Read, Verify or Program, and under the compatibility
// message: what the unit may hold now and what to do. "%1" and "%2" stand for numbers.
enum class LinkTextId : int {
  NothingSent,     // Program ended before the new parameters went out
  ParametersSent,  // Program ended after they went out, unconfirmed
  UnitUnchanged,   // Read or Verify: only read frames were sent
  NoAnswerTo,      // %1: the frame's command byte, %2: what the frame does
  WriteIdentification,
  WriteParameters,
  ReadIdentification,
  ReadParameters,
  UnitCode,  // %1: the unit's compatibility code, %2: the one this program needs
  ProgramNotSent,
  ReadNotDone,
  kCount
};
const char* LinkText(Language language, LinkTextId id);

const char* ComItemHint(Language language);              // followed by " " and the port number
const char* NoConnectionText(Language language);         // LabelSpojeni's caption
const char* FileVersionMismatchText(Language language);  // "Unmatched version of *.ign file!"
const char* PrintHeaderText(Language language);
const char* PrintFailedText(Language language);
const char* CommandLineHelpText(
    Language language);  // "qm17 --help"  // File > Print could not print the page // "Date
                         // and Time of printing:  "
// Why the window's page was not printed. "%1" stands for the file or the printer's name.
enum class PrintProblemId : int {
  NothingToPrint,
  NoDefaultPrinter,
  PrinterUnusable,
  FileNotWritten,  // %1: the PDF file
  PrinterRefused,  // %1: the printer
  JobFailed,
  kCount
};
// Empty for an id or language out of range.
const char* PrintProblemText(Language language, PrintProblemId id);

// Texts of the advance curve window, an addition of its own beside the window's table.
enum CurveTextId : int {
  CurveMenuItem = 0,  // Tools menu item that opens the curve window
  CurveMenuHint,      // its hint, short|long
  CurveWindowTitle,
  CurveAxisSpeed,
  CurveAxisAdvance,
  CurveLegendCurve,
  CurveLegendUnit,  // the curve the unit holds
  CurveLegendBase,
  CurveLegendStartLimiter,
  CurveLegendLimiter,
  CurveLegendShiftLight,
  CurveLegendLive,
  CurveNoConnection,
  CurveMenuFile,
  CurveMenuPrint,
  CurveMenuSavePng,
  CurveMenuSavePdf,
  CurveMenuClose,
  CurveKeysHint,  // how to edit with the mouse and the keys
  kCurveTextCount
};
// An id out of range yields an empty text.
const char* CurveViewText(Language language, int id);
const char* HelpDocumentName(Language language);  // "VELMOR_QM_17_en.doc" ...
// The About text with the build date and time, at most 199 characters (code points, so a
// multi-byte letter is never cut in half).
inline constexpr std::size_t kAboutTextLimit = 199;
std::string AboutText(Language language, const char* buildDate, const char* buildTime);

// Texts of what the program adds: lists of changed values, the parameter history.
enum ExtraTextId : int {
  TextPointSpeed = 0,  // "%u" stands for the curve point
  TextPointAdvance,
  TextReservedByte,  // "%u" stands for the image byte
  TextSameSets,
  TextFileAdjusted,
  TextHistoryNotKept,
  TextUnitHoldsOtherwise,          // heading of what a unit holds unlike the window's set
  TextCompareItem,                 // Device menu: compare the window's set with the unit's
  TextDifferencesItem,             // Device menu: the last list of what the unit holds
  TextHistoryItem,                 // File menu: the kept parameter sets
  TextHistoryEmpty,                // the History menu when nothing has been kept
  TextFileHoldsOtherwise,          // heading of what an opened file holds unlike the window's set
  TextDifferencesHint,             // after the status line's short list: where the whole list is
  TextUnitHoldsOtherwiseThanFile,  // the same heading where there is no window: FILE's set
  kExtraTextCount
};
// Empty for an entry or language out of range.
const char* ExtraText(Language language, int entry);

// The field names of a list of changes: the window's own captions without their unit, its
// polarity items, and the extra texts for curve points and reserved bytes.
ChangeWording ChangeWordingFor(Language language);

}  // namespace qm17
