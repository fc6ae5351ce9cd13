// Where the Windows program looks for its help document: wherever it was installed.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include "app/about_help.h"

namespace qm17 {
namespace {

TEST(HelpSearchFolders, TheCurrentFolderThenTheProgramsDocFolderThenItsOwn) {
  const QDir program(QCoreApplication::applicationDirPath());
  const QStringList folders = HelpSearchFolders();
  ASSERT_GE(folders.size(), 2);
  EXPECT_EQ(folders.front(), QDir::currentPath());
  EXPECT_TRUE(folders.contains(program.absoluteFilePath("doc")));
  EXPECT_EQ(folders.back(), program.absolutePath());
}

}  // namespace
}  // namespace qm17
