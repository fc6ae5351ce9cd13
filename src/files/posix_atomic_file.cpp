#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "files/atomic_file.h"
#include "files/posix_temporary_file.h"

namespace qm17 {

namespace {

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

detail::MakeTemporaryFile g_makeTemporaryFile = ::mkstemp;

// Only a folder that refuses new files is a reason to write in place; a full disk or quota
// is not, as writing over the old file there would cut it off where the space ran out.
bool FolderRefusesNewFiles(int error) {
  return error == EACCES || error == EPERM || error == EROFS;
}

// Writes over an existing file in place, as a plain open for writing would: for a file the
// user may write in a folder where no temporary file can be made or renamed. The room for a
// longer content is taken first, so that a disk without it leaves the old file as it was; new
// content then goes over the old before the rest is cut off.
bool WriteInPlace(const std::string& path, std::string_view content) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info {};
  const auto length = static_cast<off_t>(content.size());
  const bool written =
      ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      (length <= info.st_size || ::posix_fallocate(fd, info.st_size, length - info.st_size) == 0) &&
      WriteAll(fd, content) && ::ftruncate(fd, length) == 0 && ::fsync(fd) == 0;
  return ::close(fd) == 0 && written;
}

// Makes the rename itself survive a power cut; a failure here loses nothing already written.
void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::string& requested, std::string_view content) {
  // A link to the file stays a link: the file it points to is replaced, not the link.
  std::error_code linkError;
  std::filesystem::path target(requested);
  if (std::filesystem::is_symlink(target, linkError)) {
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, linkError);
    if (!linkError) target = resolved;
  }
  const std::string path = target.string();
  const std::filesystem::path folder = target.parent_path();
  // Renaming would replace a read-only file that a plain create could not open.
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && ::access(path.c_str(), W_OK) != 0) return false;
  // Only a regular file can be replaced: a terminal, /dev/null or a pipe (/dev/stdout, a FIFO)
  // is written into, never renamed over; a folder or a disk is refused.
  if (exists && !S_ISREG(old.st_mode)) {
    if (!S_ISCHR(old.st_mode) && !S_ISFIFO(old.st_mode)) return false;
    const int out = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    if (out < 0) return false;
    const bool written = WriteAll(out, content);
    return ::close(out) == 0 && written;
  }
  // A name near the file system's limit leaves no room for the suffix; the temporary file
  // then gets a short name of its own in the same folder.
  const std::string name = target.filename().string();
  std::string temp =
      name.size() + 7 > 255 ? (folder / ".qm17-save.XXXXXX").string() : target.string() + ".XXXXXX";
  const int fd = g_makeTemporaryFile(temp.data());
  // A folder the user may not write takes no temporary file.
  if (fd < 0) return exists && FolderRefusesNewFiles(errno) && WriteInPlace(path, content);
  // mkstemp creates the file for the owner only; a new file gets the usual permissions, as
  // a plain create would give it, and a replaced file keeps its own.
  mode_t mode = 0;
  if (exists) {
    mode = old.st_mode & 0777;  // as a write would, without set-id bits
    // Saving someone else's file (as root) leaves it theirs; elsewhere this fails harmlessly.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    }
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);
  const bool written = WriteAll(fd, content) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    ::unlink(temp.c_str());
    return false;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    // A file mounted on its own, or someone else's in a sticky folder, cannot be renamed over.
    const int error = errno;
    ::unlink(temp.c_str());
    return exists && (FolderRefusesNewFiles(error) || error == EBUSY) &&
           WriteInPlace(path, content);
  }
  SyncFolder(folder);
  return true;
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  // Opened without waiting (a FIFO would wait for a writer), then checked on the open file.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::optional<std::string> content;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    content.emplace();
    // Room for the whole file at once: a long file would otherwise be moved as it grows.
    content->reserve(
        std::min(static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)), maxBytes));
    char chunk[65536];
    for (;;) {
      const ssize_t n = ::read(fd, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 || static_cast<std::size_t>(n) > maxBytes - content->size()) {
        content.reset();
        break;
      }
      if (n == 0) break;
      content->append(chunk, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  return content;
}

bool WriteRegularFileAtomically(const std::string& path, std::string_view content) {
  // What the path names after links: a missing file is made, anything but a file refused.
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return false;
  return WriteFileAtomically(path, content);
}

detail::MakeTemporaryFile detail::SetMakeTemporaryFile(MakeTemporaryFile make) {
  const MakeTemporaryFile old = g_makeTemporaryFile;
  g_makeTemporaryFile = make != nullptr ? make : ::mkstemp;
  return old;
}

bool CreateNewFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace qm17
