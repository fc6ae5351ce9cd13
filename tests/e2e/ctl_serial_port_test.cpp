// The command-line tool's serial port on a pseudo-terminal: what it refuses to open, how it
// leaves the line, and how it notices a device that has gone.

#include "posix_serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/pseudo_terminal.h"
#include "common/unprivileged.h"
#include "process_harness.h"

namespace qm17 {
namespace {

// A pseudo-terminal whose far end the test plays.
class Line : public test::PseudoTerminal {
 public:
  // Our own handle keeps the line up while the port under test closes and reopens it.
  Line() : PseudoTerminal(true) {}

  const std::string& path() const { return slavePath(); }
  void Send(const std::vector<std::uint8_t>& bytes) const {
    const std::size_t before = Queued();
    ASSERT_EQ(write(master(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    // The bytes reach the other side's queue a moment later.
    for (int i = 0; i < 500 && Queued() < before + bytes.size(); ++i) poll(nullptr, 0, 2);
  }
  std::size_t Queued() const {
    int queued = 0;
    ioctl(slave(), FIONREAD, &queued);
    return static_cast<std::size_t>(queued);
  }
  // What the port sent, waiting up to half a second for `count` bytes.
  std::vector<std::uint8_t> Received(std::size_t count) const {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 50 && bytes.size() < count; ++i) {
      pollfd in{master(), POLLIN, 0};
      if (poll(&in, 1, 10) <= 0) continue;
      std::uint8_t chunk[256];
      const ssize_t n = read(master(), chunk, sizeof chunk);
      if (n > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
  }
  // The far end goes away, as a pulled adapter or a killed simulator does.
  void Hangup() { Close(); }
};

Frame Numbered() {
  Frame frame{};
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i);
  return frame;
}

TEST(CtlDeviceSerialPort, OnlyAFreeTerminalOpens) {
  e2e::TempDir dir;
  dir.Write("file", "KORVALEX_KEY 26\r\n");
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  Line line;
  ASSERT_FALSE(line.path().empty());
  PosixSerialPort holder;
  ASSERT_TRUE(holder.Open(line.path()));
  struct Case {
    const char* name;
    std::string path;
    PortFailure failure;
  };
  const Case cases[] = {
      {"empty name", "", PortFailure::NotPresent},
      {"missing", dir.File("missing"), PortFailure::NotPresent},
      {"regular file", dir.File("file"), PortFailure::NotSerial},
      {"folder", dir.path(), PortFailure::NotSerial},
      {"device that is no terminal", "/dev/null", PortFailure::NotSerial},
      {"endless device", "/dev/zero", PortFailure::NotSerial},
      {"FIFO without a writer", dir.File("fifo"), PortFailure::NotSerial},
      {"terminal held by another user", line.path(), PortFailure::Busy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PosixSerialPort port;
    EXPECT_FALSE(port.Open(c.path));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.QueuedBytes(), 0u);
    EXPECT_EQ(port.LastFailure(), c.failure);
  }
  ::chmod(line.path().c_str(), 0600);
  EXPECT_TRUE(test::AsUnprivilegedUser([&] {
    PosixSerialPort port;
    return !port.Open(line.path()) && port.LastFailure() == PortFailure::Permission;
  }));
  holder.Close();
  PosixSerialPort next;
  EXPECT_TRUE(next.Open(line.path()));  // free again once the holder has let go
}

TEST(CtlDeviceSerialPort, ClosingPutsTheLinesOwnSettingsBack) {
  Line line;
  termios cooked{};
  ASSERT_EQ(tcgetattr(line.slave(), &cooked), 0);
  cooked.c_lflag |= ICANON | ECHO;
  cfsetispeed(&cooked, B9600);
  cfsetospeed(&cooked, B9600);
  ASSERT_EQ(tcsetattr(line.slave(), TCSANOW, &cooked), 0);

  PosixSerialPort port;
  ASSERT_TRUE(port.Open(line.path()));
  termios open{};
  ASSERT_EQ(tcgetattr(line.slave(), &open), 0);
  EXPECT_EQ(open.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(cfgetospeed(&open), static_cast<speed_t>(B57600));
  EXPECT_EQ(open.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(open.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(open.c_iflag & (IXON | IXOFF), 0u);

  port.Close();
  termios closed{};
  ASSERT_EQ(tcgetattr(line.slave(), &closed), 0);
  EXPECT_EQ(closed.c_lflag & (ICANON | ECHO), static_cast<tcflag_t>(ICANON | ECHO));
  EXPECT_EQ(cfgetospeed(&closed), static_cast<speed_t>(B9600));
}

TEST(CtlDeviceSerialPort, FramesGoOutWholeAndQueuedBytesAreCounted) {
  Line line;
  PosixSerialPort port;
  ASSERT_TRUE(port.Open(line.path()));
  const Frame frame = Numbered();
  port.Write(frame);
  EXPECT_EQ(line.Received(52), std::vector<std::uint8_t>(frame.begin(), frame.end()));
  port.WriteAndWait(frame);
  EXPECT_EQ(line.Received(52), std::vector<std::uint8_t>(frame.begin(), frame.end()));

  EXPECT_EQ(port.QueuedBytes(), 0u);
  line.Send(std::vector<std::uint8_t>(51, 0x30));
  EXPECT_EQ(port.QueuedBytes(), 51u);
  line.Send({0xCF});
  EXPECT_EQ(port.QueuedBytes(), 52u);
  std::array<std::uint8_t, 100> buffer{};
  EXPECT_EQ(port.Read(buffer), 52u);
  EXPECT_EQ(buffer[0], 0x30);
  EXPECT_EQ(buffer[51], 0xCF);
  EXPECT_EQ(port.Read(buffer), 0u);  // nothing left: no wait
  EXPECT_FALSE(port.Vanished());
}

TEST(CtlDeviceSerialPort, AVanishedDeviceIsClosedOnceAndThenSilent) {
  std::array<std::uint8_t, 52> buffer{};
  struct Case {
    const char* name;
    void (*notice)(PosixSerialPort& port, std::array<std::uint8_t, 52>& buffer);
  };
  const Case cases[] = {
      {"count of queued bytes", [](PosixSerialPort& p, auto&) { p.QueuedBytes(); }},
      {"read", [](PosixSerialPort& p, auto& b) { p.Read(b); }},
      {"write", [](PosixSerialPort& p, auto&) { p.Write(Numbered()); }},
      {"write and wait", [](PosixSerialPort& p, auto&) { p.WriteAndWait(Numbered()); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Line line;
    PosixSerialPort port;
    ASSERT_TRUE(port.Open(line.path()));
    line.Hangup();
    c.notice(port, buffer);
    EXPECT_TRUE(port.Vanished());
    EXPECT_FALSE(port.IsOpen());
    // Afterwards every call is a quiet no-op.
    port.Write(Numbered());
    port.WriteAndWait(Numbered());
    EXPECT_EQ(port.Read(buffer), 0u);
    EXPECT_EQ(port.QueuedBytes(), 0u);
    EXPECT_TRUE(port.Vanished());
    // A device that is back opens and clears the mark.
    Line again;
    ASSERT_TRUE(port.Open(again.path()));
    EXPECT_FALSE(port.Vanished());
  }
}

}  // namespace
}  // namespace qm17
