#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

#include "app/about_help.h"

namespace qm17 {

// An installer puts the documents beside the program or in its doc folder, wherever the user
// installed it; no folder of the build machine means anything there.
QStringList HelpSearchFolders() {
  const QDir programFolder(QCoreApplication::applicationDirPath());
  QStringList folders{QDir::currentPath(), programFolder.absoluteFilePath(QStringLiteral("doc")),
                      programFolder.absolutePath()};
  folders.removeDuplicates();
  return folders;
}

// The installer puts the manual in the doc folder beside the program.
QStringList ManualSearchFolders() {
  const QDir programFolder(QCoreApplication::applicationDirPath());
  return {programFolder.absoluteFilePath(QStringLiteral("doc")), programFolder.absolutePath()};
}

// Qt's own folder is the build machine's in a static build, so the program brings its own.
QStringList ToolkitTranslationFolders() {
  return {
      QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("translations")),
      QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}

}  // namespace qm17
