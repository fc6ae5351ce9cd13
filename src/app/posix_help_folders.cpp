#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

#include "app/about_help.h"

namespace qm17 {

QStringList HelpSearchFolders() {
  QStringList folders{QDir::currentPath()};
  // A package may live under another prefix than the one the program was built for.
  const QDir programFolder(QCoreApplication::applicationDirPath());
  if (programFolder.dirName() == QLatin1String(QM17_BIN_DIR))
    folders << QDir::cleanPath(programFolder.absoluteFilePath(
        QStringLiteral("../") + QLatin1String(QM17_DOC_DIR_RELATIVE)));
  const QString configured = QStringLiteral(QM17_DOC_DIR);
  if (!folders.contains(configured)) folders << configured;
  return folders;
}

QStringList ManualSearchFolders() {
  QStringList folders;
  const QDir programFolder(QCoreApplication::applicationDirPath());
  if (programFolder.dirName() == QLatin1String(QM17_BIN_DIR))
    folders << QDir::cleanPath(programFolder.absoluteFilePath(
        QStringLiteral("../") + QLatin1String(QM17_MANUAL_DIR_RELATIVE)));
  // The configured place, then the source tree's, for a program run from its build folder.
  for (const QString& folder :
       {QStringLiteral(QM17_MANUAL_DIR), QStringLiteral(QM17_MANUAL_SOURCE_DIR)})
    if (!folders.contains(folder)) folders << folder;
  return folders;
}

QStringList ToolkitTranslationFolders() {
  return {QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}

}  // namespace qm17
