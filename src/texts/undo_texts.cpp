#include "texts/undo_texts.h"

namespace qm17 {
namespace {

struct UndoTextRow {
  const char* text[kLanguageCount];  // by language number: Czech, English, German
};
constexpr UndoTextRow kUndoRows[kUndoTextCount] = {
    {{"&Zpět", "&Undo", "&Rückgängig"}},
    {{"Z&novu", "&Redo", "&Wiederherstellen"}},
    {{"Zpět: %1.", "Undo: %1.", "Rückgängig: %1."}},
    {{"Znovu: %1.", "Redo: %1.", "Wiederhergestellt: %1."}},
    {{"Není co vrátit zpět.", "Nothing to undo.", "Es gibt nichts rückgängig zu machen."}},
    {{"Není co provést znovu.", "Nothing to redo.", "Es gibt nichts wiederherzustellen."}},
    {{"Do jednotky nebylo nic odesláno: sadu zapíšete tlačítkem Programovat.",
      "Nothing was sent to the unit: press Program to send this set.",
      "An die Zündbox wurde nichts gesendet: Zum Übertragen „Programmieren“ wählen."}},
    {{"zadaná hodnota", "a typed value", "eingegebener Wert"}},
    {{"posun předstihu", "advance shift", "Verschiebung der Vorzündung"}},
    {{"bod křivky", "curve point", "Kurvenpunkt"}},
    {{"polarita snímače", "sensor polarity", "Geberpolarität"}},
    {{"výchozí sada (Nový)", "the default set (New)", "Standardsatz (Neu)"}},
    {{"otevření souboru", "opening a file", "Öffnen einer Datei"}},
    {{"čtení z jednotky", "Read from the unit", "Lesen aus der Zündbox"}},
    {{"sada z historie", "a set from the history", "Satz aus dem Verlauf"}},
    {{"poznámka", "the note", "Notiz"}},
};

}  // namespace

const char* UndoText(Language language, int id) {
  const int index = static_cast<int>(language);
  if (index < 0 || index >= kLanguageCount || id < 0 || id >= kUndoTextCount) return "";
  return kUndoRows[id].text[index];
}

}  // namespace qm17
