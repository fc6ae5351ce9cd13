#include "texts/note_texts.h"

#include <array>
#include <cstddef>

namespace qm17 {
namespace {

// Czech, English, German for each NoteTextId, in its order.
constexpr std::array<std::array<const char*, kLanguageCount>, kNoteTextCount> kNoteTexts = {{
    {"Po&známka…", "No&te…", "No&tiz…"},
    {"Poznámka|Poznámka k sadě parametrů: zákazník, motocykl, co se změnilo",
     "Note|A note on the parameter set: customer, bike, what changed",
     "Notiz|Eine Notiz zum Parametersatz: Kunde, Motorrad, was geändert wurde"},
    {"Poznámka k sadě parametrů", "Note on the parameter set", "Notiz zum Parametersatz"},
    {"Zákazník, motocykl, co se změnilo. Uloží se se sadou do souboru .ign a do historie.",
     "Customer, bike, what changed. It is saved with the set in the .ign file and the history.",
     "Kunde, Motorrad, was geändert wurde. Sie wird mit dem Satz in der .ign-Datei und im "
     "Verlauf gespeichert."},
    {"OK", "OK", "OK"},
    {"Zrušit", "Cancel", "Abbrechen"},
    {"Poznámka změněna (do souboru se zapíše při uložení)",
     "Note changed (written to the file when you save)",
     "Notiz geändert (wird beim Speichern in die Datei geschrieben)"},
    {"Seřizovací &list…", "Set&up sheet…", "Einstell&blatt…"},
    {"Seřizovací list|Sada parametrů, křivka a poznámka jako stránka PDF",
     "Setup sheet|The parameter set, its curve and its note as a PDF page",
     "Einstellblatt|Der Parametersatz, seine Kurve und seine Notiz als PDF-Seite"},
    {"Stránka PDF (*.pdf)", "PDF page (*.pdf)", "PDF-Seite (*.pdf)"},
    {"Seřizovací list zapalování QM-17", "QM-17 ignition setup sheet",
     "Einstellblatt der Zündbox QM-17"},
    {"Datum:", "Date:", "Datum:"},
    {"Jednotka:", "Unit:", "Zündbox:"},
    {"neznámá (nebyla čtena ani programována)", "not known (neither read nor programmed)",
     "unbekannt (weder gelesen noch programmiert)"},
    {"Poznámka:", "Note:", "Notiz:"},
    {"(bez poznámky)", "(no note)", "(keine Notiz)"},
    {"(neuloženo)", "(not saved)", "(nicht gespeichert)"},
    {"Bod", "Point", "Punkt"},
    {"Seřizovací list uložen:", "Setup sheet written:", "Einstellblatt gespeichert:"},
    {"složka neexistuje", "the folder does not exist", "der Ordner existiert nicht"},
    {"pod tímto názvem už existuje složka", "a folder has that name",
     "unter diesem Namen gibt es bereits einen Ordner"},
    {"soubor nelze zapsat (jen pro čtení, bez oprávnění nebo plný disk?)",
     "the file cannot be written (read-only, no permission or a full disk?)",
     "die Datei kann nicht geschrieben werden (schreibgeschützt, keine Berechtigung oder "
     "Datenträger voll?)"},
}};

}  // namespace

const char* NoteText(Language language, int id) {
  const auto index = static_cast<std::size_t>(language);
  if (index >= static_cast<std::size_t>(kLanguageCount) || id < 0 || id >= kNoteTextCount)
    return "";
  return kNoteTexts[static_cast<std::size_t>(id)][index];
}

}  // namespace qm17
