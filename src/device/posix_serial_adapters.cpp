#include "device/posix_serial_adapters.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "device/serial_adapters.h"

namespace qm17 {
namespace fs = std::filesystem;

namespace {

std::string ReadAttribute(const fs::path& directory, const char* name) {
  std::ifstream in(directory / name);
  std::string value;
  std::getline(in, value);
  while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.pop_back();
  return value;
}

bool IsAdapterName(const std::string& name) {
  return name.starts_with("ttyUSB") || name.starts_with("ttyACM");
}

// The USB device a tty hangs below: the nearest parent folder with a vendor id.
fs::path UsbDeviceOf(const fs::path& ttyDevice) {
  std::error_code error;
  fs::path at = fs::canonical(ttyDevice, error);
  if (error) return {};
  for (int depth = 0; depth < 6 && at.has_relative_path(); ++depth, at = at.parent_path()) {
    if (fs::exists(at / "idVendor", error)) return at;
  }
  return {};
}

}  // namespace

std::vector<SerialAdapter> ListSerialAdapters(const std::string& root) {
  std::vector<SerialAdapter> found;
  std::error_code error;
  const fs::path ttys = fs::path(root + "/sys/class/tty");
  for (fs::directory_iterator it(ttys, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!IsAdapterName(name) || !fs::exists(it->path() / "device", error)) continue;
    SerialAdapter adapter;
    adapter.device = "/dev/" + name;
    if (const fs::path usb = UsbDeviceOf(it->path() / "device"); !usb.empty()) {
      adapter.vendorId = ReadAttribute(usb, "idVendor");
      adapter.productId = ReadAttribute(usb, "idProduct");
      adapter.manufacturer = ReadAttribute(usb, "manufacturer");
      adapter.product = ReadAttribute(usb, "product");
      adapter.serial = ReadAttribute(usb, "serial");
    }
    found.push_back(adapter);
  }
  // udev's links name the adapter by maker, product and serial number.
  const fs::path byId = fs::path(root + "/dev/serial/by-id");
  for (fs::directory_iterator it(byId, error), end; !error && it != end; it.increment(error)) {
    std::error_code linkError;
    const fs::path target = fs::read_symlink(it->path(), linkError);
    if (linkError) continue;
    const std::string device = "/dev/" + target.filename().string();
    for (SerialAdapter& adapter : found) {
      if (adapter.device == device && adapter.stableName.empty())
        adapter.stableName = "/dev/serial/by-id/" + it->path().filename().string();
    }
  }
  std::sort(found.begin(), found.end(),
            [](const SerialAdapter& a, const SerialAdapter& b) { return a.device < b.device; });
  return found;
}

PortFailure PortFailureFromErrno(int error) {
  switch (error) {
    case 0:
      return PortFailure::None;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return PortFailure::NotPresent;
    case EACCES:
    case EPERM:
      return PortFailure::Permission;
    case EBUSY:
    case EWOULDBLOCK:
      return PortFailure::Busy;
    case ENOTTY:
    case EISDIR:
    case EINVAL:
      return PortFailure::NotSerial;
    default:
      return PortFailure::Other;
  }
}

PortFailure DiagnosePort(const std::string& path) {
  if (path.empty()) return PortFailure::NotPresent;
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return PortFailureFromErrno(errno);
  termios mode{};
  PortFailure failure = PortFailure::None;
  if (::tcgetattr(fd, &mode) != 0 || IsNoSerialLine(fd)) {
    failure = PortFailure::NotSerial;
  } else if (!LockSerialLine(fd)) {
    failure = PortFailure::Busy;
  }
  ::close(fd);
  return failure;
}

bool LockSerialLine(int fd) {
  return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

bool IsNoSerialLine(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return true;
  for (const char* alias : {"/dev/ptmx", "/dev/tty"}) {
    struct stat node {};
    if (::stat(alias, &node) == 0 && S_ISCHR(node.st_mode) && info.st_rdev == node.st_rdev) {
      return true;
    }
  }
  // The terminal answers with its session only to a process it is the controlling terminal of.
  return ::tcgetsid(fd) != -1;
}

LineName IdentifyLineName(const std::string& path) {
  LineName name;
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0) return name;
  if (S_ISLNK(link.st_mode)) {
    name.link = true;
    name.linkInode = static_cast<long long>(link.st_ino);
    name.linkChanged =
        static_cast<long long>(link.st_ctim.tv_sec) * 1000000000LL + link.st_ctim.tv_nsec;
  }
  std::error_code error;
  const fs::path target = fs::canonical(path, error);
  name.pseudoTerminal = !error && target.parent_path() == "/dev/pts";
  return name;
}
bool MayReopenLostLine(const LineName& lost, const LineName& now) {
  if (!lost.pseudoTerminal) return true;
  return now.link && (now.linkInode != lost.linkInode || now.linkChanged != lost.linkChanged);
}

}  // namespace qm17
