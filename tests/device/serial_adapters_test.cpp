// The adapters listed from a made-up /sys and /dev tree, and the reason given for each way a
// device fails to open.

#include "device/serial_adapters.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/port_failure_text.h"
#include "common/unprivileged.h"

namespace qm17 {
namespace {

namespace fs = std::filesystem;

struct Tree {
  Tree() {
    std::string name = (fs::temp_directory_path() / "qm17-adapters-XXXXXX").string();
    root = mkdtemp(name.data()) ? name : std::string();
  }
  ~Tree() { fs::remove_all(root); }
  void Write(const std::string& path, const std::string& text) const {
    fs::create_directories(fs::path(root + path).parent_path());
    std::ofstream(root + path) << text << '\n';
  }
  std::string root;
};

TEST(SerialAdapters, ListsUsbAndAcmDevicesWithTheirIdsAndStableNames) {
  Tree t;
  ASSERT_FALSE(t.root.empty());
  const std::string usb = "/sys/devices/pci0/usb1/1-2";
  for (const auto& [file, text] : {std::pair{"idVendor", "0403"},
                                   {"idProduct", "6001"},
                                   {"manufacturer", "FTDI"},
                                   {"product", "FT232R USB UART"},
                                   {"serial", "A50285BI"}})
    t.Write(usb + "/" + file, text);
  fs::create_directories(t.root + usb + "/1-2:1.0/ttyUSB0");
  fs::create_directories(t.root + "/sys/devices/pci0/usb1/1-3/1-3:1.0/tty/ttyACM1");
  fs::create_directories(t.root + "/sys/class/tty/ttyUSB0");
  fs::create_directories(t.root + "/sys/class/tty/ttyACM1");
  fs::create_directories(t.root + "/sys/class/tty/ttyS0/device");  // a built-in port: not listed
  fs::create_directories(t.root + "/sys/class/tty/tty1");
  fs::create_directory_symlink(t.root + usb + "/1-2:1.0/ttyUSB0",
                               t.root + "/sys/class/tty/ttyUSB0/device");
  fs::create_directory_symlink(t.root + "/sys/devices/pci0/usb1/1-3/1-3:1.0",
                               t.root + "/sys/class/tty/ttyACM1/device");
  fs::create_directories(t.root + "/dev/serial/by-id");
  fs::create_symlink("../../ttyUSB0", t.root + "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00");

  const auto list = ListSerialAdapters(t.root);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].device, "/dev/ttyACM1");
  EXPECT_EQ(list[0].stableName, "");
  EXPECT_EQ(list[0].PreferredName(), "/dev/ttyACM1");
  EXPECT_EQ(list[0].Description(), "");
  EXPECT_EQ(list[1].device, "/dev/ttyUSB0");
  EXPECT_EQ(list[1].PreferredName(), "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00");
  EXPECT_EQ(list[1].Description(), "FTDI FT232R USB UART (0403:6001, serial A50285BI)");
  EXPECT_EQ(FindAdapter(list, "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00"), &list[1]);
  EXPECT_EQ(FindAdapter(list, "/dev/ttyUSB0"), &list[1]);
  EXPECT_EQ(FindAdapter(list, "/dev/ttyUSB1"), nullptr);
  EXPECT_TRUE(ListSerialAdapters(t.root + "/nowhere").empty());
}

TEST(SerialAdapters, EachReasonAPortFailsIsTold) {
  Tree t;
  t.Write("/file", "x");
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
  EXPECT_EQ(PortOpenErrorText(Language::German, "/dev/ttyUSB0", PortFailure::Busy),
            "Fehler bei Eröffnung des COM-Anschlußes!\n/dev/ttyUSB0: belegt: von einem anderen "
            "Programm verwendet");
}

}  // namespace
}  // namespace qm17
