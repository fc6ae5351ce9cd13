#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <iterator>
#include <string>

#include "common/temp_folder.h"
#include "common/unprivileged.h"
#include "files/atomic_file.h"
#include "files/posix_temporary_file.h"

namespace qm17 {
namespace {

namespace fs = std::filesystem;

long EntriesIn(const fs::path& folder) {
  return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

TEST(WriteFileAtomically, ReplacesTheFileALinkPointsTo) {
  testing::TempFolder folder;
  const fs::path real = folder.path() / "real.ini";
  const fs::path link = folder.path() / "link.ini";
  ASSERT_TRUE(WriteFileAtomically(real.string(), "old"));
  fs::create_symlink(real, link);
  ASSERT_TRUE(WriteFileAtomically(link.string(), "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadWholeFile(real.string()), "new");
}

// A folder the user may not write: a writable file there is written in place; a new or a
// read-only one fails, as a plain write would.
TEST(WriteFileAtomically, ReadOnlyFolderWritesAWritableFileInPlace) {
  testing::TempFolder folder;
  const std::string path = folder.File("a.ign"), locked = folder.File("b.ign");
  ASSERT_TRUE(WriteFileAtomically(path, "old and long") && WriteFileAtomically(locked, "old"));
  fs::permissions(path, fs::perms(0666));
  fs::permissions(locked, fs::perms(0444));
  fs::permissions(folder.path(), fs::perms(0555));
  EXPECT_TRUE(test::AsUnprivilegedUser([&] {
    return WriteFileAtomically(path, "new") && ReadWholeFile(path) == "new" &&
           !WriteFileAtomically(locked, "x") && !WriteFileAtomically(folder.File("c"), "x");
  }));
  EXPECT_EQ(ReadWholeFile(locked), "old");
  EXPECT_EQ(EntriesIn(folder.path()), 2);
}

int g_makeFails = 0;
int RefuseTemporaryFile(char*) {
  errno = g_makeFails;
  return -1;
}

// A disk without room keeps the old file whole: a full disk or quota that takes no temporary
// file is no reason to write in place, and where in place is the only way (a folder the user
// may not write), a longer content that finds no room leaves the old one as it was.
TEST(WriteFileAtomically, FullDiskKeepsTheOldFile) {
  testing::TempFolder folder;
  const std::string path = folder.File("Tarvex.ini");
  const std::string old = "[FORM_HLAV]\nComPort=1\n";
  ASSERT_TRUE(WriteFileAtomically(path, old));
  for (const int error : {ENOSPC, EDQUOT}) {
    g_makeFails = error;
    const auto real = detail::SetMakeTemporaryFile(RefuseTemporaryFile);
    EXPECT_FALSE(WriteFileAtomically(path, "[FORM_HLAV]\n")) << error;
    detail::SetMakeTemporaryFile(real);
    EXPECT_EQ(ReadWholeFile(path), old);
  }

  fs::permissions(path, fs::perms(0666));
  fs::permissions(folder.path(), fs::perms(0555));
  const pid_t child = ::fork();
  if (child == 0) {
    // A limit on the file's size stands in for the space left on the disk.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64, 64};
    ::_exit(::setrlimit(RLIMIT_FSIZE, &limit) != 0 || !test::AsUnprivilegedUser([&] {
              return !WriteFileAtomically(path, old + std::string(100, 'x')) &&
                     ReadWholeFile(path) == old && WriteFileAtomically(path, "[FORM_HLAV]\n");
            }));
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadWholeFile(path), "[FORM_HLAV]\n");
}

// A replaced file keeps its permissions; a read-only one is not replaced at all.
TEST(WriteFileAtomically, RespectsTheOldFilesPermissions) {
  testing::TempFolder folder;
  const std::string path = folder.File("a.ign");
  ASSERT_TRUE(WriteFileAtomically(path, "old"));
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteFileAtomically(path, "new"));
  EXPECT_EQ(fs::status(path).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  if (::geteuid() == 0) {
    // Root saving another user's file leaves it theirs.
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "new"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
  }
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_TRUE(test::AsUnprivilegedUser([&] { return !WriteFileAtomically(path, "newer"); }));
  EXPECT_EQ(ReadWholeFile(path), "new");
  EXPECT_EQ(EntriesIn(folder.path()), 1);
}

TEST(WriteFileAtomically, NameAtTheFileSystemsLimit) {
  testing::TempFolder folder;
  const std::string path = folder.File(std::string(251, 'n') + ".ign");
  ASSERT_TRUE(WriteFileAtomically(path, "x"));
  ASSERT_TRUE(WriteFileAtomically(path, "y"));
  EXPECT_EQ(ReadWholeFile(path), "y");
  EXPECT_EQ(EntriesIn(folder.path()), 1);
}

// A pipe stays a pipe: what is written goes into it (as with "-o /dev/stdout").
TEST(WriteFileAtomically, WritesIntoAPipeRatherThanReplacingIt) {
  testing::TempFolder folder;
  const std::string fifo = folder.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_TRUE(WriteFileAtomically(fifo, "abc"));
  char buffer[8] = {};
  EXPECT_EQ(::read(reader, buffer, sizeof buffer), 3);
  ::close(reader);
  EXPECT_EQ(std::string(buffer), "abc");
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(EntriesIn(folder.path()), 1);
}

TEST(ReadRegularFile, ReadsOnlyAFileAndNeverWaits) {
  testing::TempFolder folder;
  const std::string path = folder.File("ten");
  ASSERT_TRUE(WriteFileAtomically(path, "0123456789"));
  const std::string fifo = folder.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadRegularFile(path), "0123456789");
  EXPECT_EQ(ReadRegularFile(path, 10), "0123456789");
  EXPECT_FALSE(ReadRegularFile(path, 9).has_value());
  for (const std::string& refused :
       {fifo, folder.File("missing"), folder.path().string(), std::string("/dev/zero")})
    EXPECT_FALSE(ReadRegularFile(refused).has_value()) << refused;
  EXPECT_FALSE(WriteRegularFileAtomically(fifo, "x"));
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(WriteRegularFileAtomically(folder.File("new"), "x"));
  EXPECT_EQ(ReadRegularFile(folder.File("new")), "x");
}

// A device that never ends is cut off at the limit rather than read for ever.
TEST(ReadWholeFile, StopsADeviceThatNeverEnds) {
  EXPECT_FALSE(ReadWholeFile("/dev/zero", 200000).has_value());
  EXPECT_FALSE(ReadWholeFile("/dev/zero").has_value());
}

// Names are bytes here: one that is not UTF-8 (an old Latin-1 file) is saved, listed and read.
TEST(FileNames, BytesThatAreNotUtf8StillWork) {
  testing::TempFolder folder;
  const std::string latin1 = folder.File("\xe9t\xe9.ign");
  ASSERT_TRUE(WriteRegularFileAtomically(latin1, "x"));
  EXPECT_EQ(ReadRegularFile(latin1), "x");
  EXPECT_EQ(fs::directory_iterator(folder.path())->path().filename().native(), "\xe9t\xe9.ign");
}

}  // namespace
}  // namespace qm17
