#include "app/startup_file.h"

#include <QFileInfo>

namespace qm17 {

QString StartupFileArgument(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--lang")) {
      ++i;  // its value is a language code, never a file
      continue;
    }
    if (argument.startsWith(QLatin1Char('-'))) continue;
    // Only the first argument is the language word.
    if (i == 1 && (argument == QLatin1String("ENGLISH") || argument == QLatin1String("CESKY") ||
                   argument == QLatin1String("DEUTSCH")))
      continue;
    if (argument.endsWith(QLatin1String(".ign"), Qt::CaseInsensitive) ||
        QFileInfo(argument).isFile())
      return QFileInfo(argument).absoluteFilePath();  // as the file dialog would name it
  }
  return {};
}

}  // namespace qm17
