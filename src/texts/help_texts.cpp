#include "texts/help_texts.h"

namespace qm17 {
namespace {

struct HelpTextRow {
  const char* text[kLanguageCount];  // by language number: Czech, English, German
};
constexpr HelpTextRow kHelpRows[kHelpTextCount] = {
    {{"Příručku se nepodařilo zobrazit v prohlížeči. Otevřete ji prosím ručně, najdete ji v "
      "souboru:\n%1",
      "The manual could not be shown in a web browser. Open it yourself, it is the file:\n%1",
      "Das Handbuch ließ sich in keinem Webbrowser anzeigen. Öffnen Sie es bitte "
      "selbst, es liegt in der Datei:\n%1"}},
    {{"Příručka není nainstalována. Patří do složky:\n%1",
      "The manual is not installed. It belongs in the folder:\n%1",
      "Das Handbuch ist nicht installiert. Es gehört in den Ordner:\n%1"}},
};

}  // namespace

const char* ManualFileName(Language language) {
  switch (language) {
    case Language::Czech:
      return "qm17-cs.html";
    case Language::German:
      return "qm17-de.html";
    case Language::English:
      return "qm17-en.html";
  }
  return "";
}

const char* HelpText(Language language, int id) {
  const int index = static_cast<int>(language);
  if (index < 0 || index >= kLanguageCount || id < 0 || id >= kHelpTextCount) return "";
  return kHelpRows[id].text[index];
}

}  // namespace qm17
