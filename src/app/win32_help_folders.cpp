#include <QCoreApplication>
#include <QDir>

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

}  // namespace qm17
