// Where the Windows program looks for its help document: wherever it was installed.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/about_help.h"

namespace qm17 {
namespace {

TEST(HelpSearchFolders, TheCurrentFolderThenTheProgramsDocFolderThenItsOwn) {
  const QDir program(QCoreApplication::applicationDirPath());
  QTemporaryDir elsewhere;
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
  const QStringList folders = HelpSearchFolders();
  QDir::setCurrent(before);
  EXPECT_EQ(folders, (QStringList{QDir(elsewhere.path()).absolutePath(),
                                  program.absoluteFilePath("doc"), program.absolutePath()}));
}

}  // namespace
}  // namespace qm17
