// The adapters listed from a made-up /sys and /dev tree, and the reason given for each way a
// device fails to open.

#include "device/serial_adapters.h"

#include "device/posix_serial_adapters.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/temp_folder.h"
#include "common/unprivileged.h"
#include "session/port_failure_text.h"

namespace qm17 {
namespace {

namespace fs = std::filesystem;

struct Tree {
  testing::TempFolder folder;
  const std::string root = folder.path().string();
  // A folder `device` below /sys/devices, and /sys/class/tty/<tty>/device linking to it.
  void Tty(const std::string& tty, const std::string& device) const {
    fs::create_directories(root + "/sys/devices/" + device);
    fs::create_directories(root + "/sys/class/tty/" + tty);
    fs::create_directory_symlink(root + "/sys/devices/" + device,
                                 root + "/sys/class/tty/" + tty + "/device");
  }
};

TEST(SerialAdapters, ListsUsbAndAcmDevicesWithTheirIdsAndStableNames) {
  Tree t;
  ASSERT_FALSE(t.root.empty());
  t.Tty("ttyUSB0", "usb1/1-2/1-2:1.0/ttyUSB0");
  t.Tty("ttyACM1", "usb1/1-3/1-3:1.0");
  t.Tty("ttyS0", "platform/serial8250");  // a built-in port: not listed
  for (const auto& [file, text] : {std::pair{"idVendor", "0403"},
                                   {"idProduct", "6001"},
                                   {"manufacturer", "FTDI"},
                                   {"product", "FT232R USB UART"},
                                   {"serial", "A50285BI"}})
    std::ofstream(t.root + "/sys/devices/usb1/1-2/" + file) << text << '\n';
  const std::string byId = "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00";
  fs::create_directories(t.root + "/dev/serial/by-id");
  fs::create_symlink("../../ttyUSB0", t.root + byId);

  const auto list = ListSerialAdapters(t.root);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].PreferredName(), "/dev/ttyACM1");  // no udev link: the device itself
  EXPECT_EQ(list[0].Description(), "");
  EXPECT_EQ(list[1].device, "/dev/ttyUSB0");
  EXPECT_EQ(list[1].PreferredName(), byId);
  EXPECT_EQ(list[1].Description(), "FTDI FT232R USB UART (0403:6001, serial A50285BI)");
  EXPECT_EQ(FindAdapter(list, byId), &list[1]);
  EXPECT_EQ(FindAdapter(list, "/dev/ttyUSB0"), &list[1]);
  EXPECT_EQ(FindAdapter(list, "/dev/ttyUSB1"), nullptr);
}

// A vanished pseudo-terminal is opened again only through a link made anew: its number is
// handed to the next terminal, which may be another program's.
TEST(SerialAdapters, ALostPseudoTerminalComesBackOnlyThroughANewLink) {
  Tree t;
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
  const std::string pty = ptsname(master);
  const std::string link = t.root + "/unit";
  ASSERT_EQ(::symlink(pty.c_str(), link.c_str()), 0);
  const LineName byNumber = IdentifyLineName(pty), byLink = IdentifyLineName(link);
  EXPECT_TRUE(byNumber.pseudoTerminal && !byNumber.link && byLink.pseudoTerminal && byLink.link);
  EXPECT_FALSE(MayReopenLostLine(byNumber, IdentifyLineName(pty)));
  EXPECT_FALSE(MayReopenLostLine(byLink, IdentifyLineName(link)));  // the old, stale link
  ::unlink(link.c_str());
  EXPECT_FALSE(MayReopenLostLine(byLink, IdentifyLineName(link)));  // no link at all
  ::usleep(20000);  // file times step by the kernel's tick; a restarted unit takes longer
  ASSERT_EQ(::symlink(pty.c_str(), link.c_str()), 0);
  EXPECT_TRUE(MayReopenLostLine(byLink, IdentifyLineName(link)));
  // A real device comes back under its own name.
  std::ofstream(t.root + "/ttyUSB0") << "";
  EXPECT_TRUE(MayReopenLostLine(IdentifyLineName(t.root + "/ttyUSB0"), {}));
  ::close(master);
}

TEST(SerialAdapters, EachReasonAPortFailsIsTold) {
  Tree t;
  std::ofstream(t.root + "/file") << "x";
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
  const std::string pty = ptsname(master);
  ::chmod(pty.c_str(), 0600);
  EXPECT_EQ(DiagnosePort(t.root + "/missing"), PortFailure::NotPresent);
  EXPECT_EQ(DiagnosePort(""), PortFailure::NotPresent);
  EXPECT_EQ(DiagnosePort(t.root + "/file"), PortFailure::NotSerial);
  EXPECT_EQ(DiagnosePort(t.root), PortFailure::NotSerial);
  EXPECT_EQ(DiagnosePort("/dev/null"), PortFailure::NotSerial);
  EXPECT_EQ(DiagnosePort(pty), PortFailure::None);
  EXPECT_TRUE(
      test::AsUnprivilegedUser([&] { return DiagnosePort(pty) == PortFailure::Permission; }));
  const int holder = ::open(pty.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_TRUE(LockSerialLine(holder));
  EXPECT_EQ(DiagnosePort(pty), PortFailure::Busy);
  ::close(holder);
  EXPECT_EQ(DiagnosePort(pty), PortFailure::None);
  ::close(master);

  EXPECT_EQ(PortOpenErrorText(Language::English, "/dev/ttyUSB0", PortFailure::Permission),
            "Com opening error!\n/dev/ttyUSB0: no permission: run \"sudo adduser $USER dialout\", "
            "then log in again");
  EXPECT_EQ(
      PortOpenErrorText(Language::German, "/dev/ttyUSB0", PortFailure::Busy),
      "Fehler bei Eröffnung des COM-Anschlußes!\n/dev/ttyUSB0: belegt: wird von einem anderen "
      "Programm verwendet");
  // A name from a hostile settings file: no escape sequence, and a line that fits a screen.
  const std::string hostile =
      PortOpenErrorText(Language::English, "/dev/\x1b]0;x\x07\xc2\x9b" + std::string(100000, 'x'),
                        PortFailure::Other);
  EXPECT_EQ(hostile.substr(0, 33), "Com opening error!\n/dev/?]0;x??xx");
  EXPECT_LT(hostile.size(), 200u);
}

}  // namespace
}  // namespace qm17
