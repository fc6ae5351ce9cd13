// The serial port of the window and the command line against pseudo-terminals: what it opens,
// what the link sees of queued bytes, what goes on the line, how a flood, a stalled line and a
// vanished device are borne.

#include "device/posix_serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "common/cpu_seconds.h"
#include "common/pseudo_terminal.h"
#include "common/temp_folder.h"
#include "common/unprivileged.h"

namespace qm17 {
namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// A pseudo-terminal whose far end the test plays. Our own raw handle on the line keeps it up
// while the port under test closes and reopens it, and lets the test see the line's state.
class Line : public test::PseudoTerminal {
 public:
  Line() : PseudoTerminal(true) {
    termios t{};
    ::tcgetattr(slave(), &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave(), TCSANOW, &t);
  }

  const std::string& path() const { return slavePath(); }
  // Counting bytes from `first` on, once the line's queue holds them.
  void Send(std::size_t count, std::uint8_t first = 0) const {
    const std::size_t before = Queued();
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    ASSERT_EQ(::write(master(), bytes.data(), count), static_cast<ssize_t>(count));
    for (int i = 0; i < 500 && Queued() < before + count; ++i) ::poll(nullptr, 0, 2);
  }
  std::size_t Queued() const {
    int queued = 0;
    ::ioctl(slave(), FIONREAD, &queued);
    return static_cast<std::size_t>(queued);
  }
  // What the port sent, waiting at most `timeoutMs` for the first byte.
  Bytes Received(int timeoutMs) const {
    Bytes got;
    pollfd in{master(), POLLIN, 0};
    while (::poll(&in, 1, got.empty() ? timeoutMs : 20) > 0 && (in.revents & POLLIN)) {
      std::uint8_t chunk[256];
      const ssize_t n = ::read(master(), chunk, sizeof chunk);
      if (n <= 0) break;
      got.insert(got.end(), chunk, chunk + n);
    }
    return got;
  }
};

Frame Numbered(std::uint8_t first) {
  Frame frame{};
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(first + i);
  return frame;
}

Bytes BytesOf(std::initializer_list<Frame> frames) {
  Bytes bytes;
  for (const Frame& f : frames) bytes.insert(bytes.end(), f.begin(), f.end());
  return bytes;
}

long ResidentKb() {
  long size = 0, pages = 0;
  std::ifstream("/proc/self/statm") >> size >> pages;
  return pages * (::sysconf(_SC_PAGESIZE) / 1024);
}

long Milliseconds(Clock::duration d) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

// The settings file or qm17ctl's --port may name anything: only a terminal opens, nothing
// else is waited on (a FIFO without a writer), read endlessly (/dev/zero) or changed (a file),
// and a port that did not open stays quiet.
TEST(PosixSerialPortOpen, OnlyAFreeTerminalOpens) {
  testing::TempFolder dir;
  const std::string file = dir.File("file");
  std::ofstream(file) << "KORVALEX_KEY 26\r\n";
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  Line line;
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
      {"regular file", file, PortFailure::NotSerial},
      {"folder", dir.path().string(), PortFailure::NotSerial},
      {"device that is no terminal", "/dev/null", PortFailure::NotSerial},
      {"endless device", "/dev/zero", PortFailure::NotSerial},
      {"FIFO without a writer", dir.File("fifo"), PortFailure::NotSerial},
      {"pseudo-terminal multiplexer", "/dev/ptmx", PortFailure::NotSerial},
      {"terminal another of our programs holds", line.path(), PortFailure::Busy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PosixSerialPort port;
    EXPECT_FALSE(port.Open(c.path));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.LastFailure(), c.failure);
    std::array<std::uint8_t, 52> buffer{};
    EXPECT_EQ(port.QueuedBytes(), 0u);
    EXPECT_EQ(port.Read(buffer), 0u);
    port.Write(Numbered(0));
    port.WriteAndWait(Numbered(0));
    port.Close();
    EXPECT_FALSE(port.Vanished());
  }
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 17);
  ::chmod(line.path().c_str(), 0600);
  EXPECT_TRUE(test::AsUnprivilegedUser([&] {
    PosixSerialPort port;
    return !port.Open(line.path()) && port.LastFailure() == PortFailure::Permission;
  }));
  holder.Close();
  PosixSerialPort next;
  EXPECT_TRUE(next.Open(line.path()));  // free again once the holder has let go
  next.Close();

  // The user's own terminal, by its name or as /dev/tty, is never taken over.
  const pid_t child = ::fork();
  if (child == 0) {
    const int own = ::setsid() < 0 ? -1 : ::open(line.path().c_str(), O_RDWR);
    PosixSerialPort port;
    ::_exit(own < 0 || port.Open(line.path()) || port.LastFailure() != PortFailure::NotSerial ||
            port.Open("/dev/tty") || port.LastFailure() != PortFailure::NotSerial);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(status, 0);
}

TEST(PosixSerialPortOpen, Opens57600EightNoneOneRawAndPutsTheLinesOwnSettingsBack) {
  Line line;
  termios cooked{};
  ASSERT_EQ(::tcgetattr(line.slave(), &cooked), 0);
  cooked.c_lflag |= ICANON | ECHO;
  cooked.c_iflag |= IXON | IXOFF;
  cfsetispeed(&cooked, B9600);
  cfsetospeed(&cooked, B9600);
  ASSERT_EQ(::tcsetattr(line.slave(), TCSANOW, &cooked), 0);

  PosixSerialPort port;
  ASSERT_TRUE(port.Open(line.path()));
  termios open{};
  ASSERT_EQ(::tcgetattr(line.slave(), &open), 0);
  EXPECT_EQ(::cfgetospeed(&open), static_cast<speed_t>(B57600));
  EXPECT_EQ(::cfgetispeed(&open), static_cast<speed_t>(B57600));
  EXPECT_EQ(open.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(open.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(open.c_iflag & (IXON | IXOFF), 0u);
  EXPECT_EQ(open.c_lflag & (ICANON | ECHO), 0u);

  port.Close();
  termios closed{};
  ASSERT_EQ(::tcgetattr(line.slave(), &closed), 0);
  EXPECT_EQ(closed.c_lflag & (ICANON | ECHO), static_cast<tcflag_t>(ICANON | ECHO));
  EXPECT_EQ(::cfgetospeed(&closed), static_cast<speed_t>(B9600));
}

TEST(PosixSerialPortQueue, CountsAndReadsQueuedBytesInOrder) {
  for (const std::size_t sent : {0u, 1u, 51u, 52u, 700u}) {
    SCOPED_TRACE(sent);
    Line line;
    PosixSerialPort port;
    ASSERT_TRUE(port.Open(line.path()));
    line.Send(sent);
    EXPECT_EQ(port.QueuedBytes(), sent);
  }
  Line line;
  PosixSerialPort port;
  ASSERT_TRUE(port.Open(line.path()));
  line.Send(51, 10);
  EXPECT_EQ(port.QueuedBytes(), 51u);
  line.Send(79, 61);
  EXPECT_EQ(port.QueuedBytes(), 130u);
  std::array<std::uint8_t, 100> buffer{};
  ASSERT_EQ(port.Read(buffer), 100u);
  EXPECT_EQ(buffer[0], 10);
  EXPECT_EQ(buffer[99], 109);
  EXPECT_EQ(port.QueuedBytes(), 30u);
  ASSERT_EQ(port.Read(buffer), 30u);
  EXPECT_EQ(buffer[29], 139);
  const auto start = Clock::now();
  EXPECT_EQ(port.Read(buffer), 0u);  // nothing left: no wait
  EXPECT_LT(Milliseconds(Clock::now() - start), 50);
  EXPECT_FALSE(port.Vanished());
}

TEST(PosixSerialPortQueue, InputQueuedBeforeOpeningIsDropped) {
  Line line;
  line.Send(80);
  ASSERT_EQ(line.Queued(), 80u);
  PosixSerialPort port;
  ASSERT_TRUE(port.Open(line.path()));
  EXPECT_EQ(port.QueuedBytes(), 0u);
  line.Send(kFrameLength, 0x40);
  std::array<std::uint8_t, 100> buffer{};
  ASSERT_EQ(port.Read(buffer), kFrameLength);
  EXPECT_EQ(buffer[0], 0x40);
}

// A USB device sends at USB speed whatever the baud rate: 1 MB/s in 64-byte packets for `ms`,
// read as the link reads. Queue and memory stay bounded; a later frame is read alone.
// Returns the CPU seconds the flood cost, the device's thread included.
double FloodAndRecover(int ms) {
  Line line;
  PosixSerialPort port;
  EXPECT_TRUE(port.Open(line.path()));
  ::fcntl(line.master(), F_SETFL, O_NONBLOCK);  // a full line drops packets, as a device does
  std::thread device([&] {
    const std::array<std::uint8_t, 64> packet{};
    for (int i = 0; i < ms / 4; ++i, ::usleep(4000))
      for (int k = 0; k < 4000 / 64; ++k) (void)::write(line.master(), packet.data(), 64);
  });
  const long idleKb = ResidentKb();
  const double cpuBefore = test::CpuSeconds();
  std::size_t mostQueued = 0;
  std::array<std::uint8_t, 15000> buffer{};
  const auto tick = [&](std::size_t from) {
    std::this_thread::sleep_for(std::chrono::milliseconds(55));
    const std::size_t queued = port.QueuedBytes();
    mostQueued = std::max(mostQueued, queued);
    return queued < from ? 0 : port.Read(buffer);
  };
  for (int i = 0; i < ms / 55; ++i) tick(kFrameLength);
  device.join();
  const double cpu = test::CpuSeconds() - cpuBefore;
  EXPECT_LE(mostQueued, 10000u);
  EXPECT_LT(ResidentKb() - idleKb, 4096);
  // What the kernel still holds leaves within a second; the tail of a last packet, shorter
  // than a frame, would wait in the queue as the link leaves it, so it is read here.
  int ticks = 0;
  while (tick(1) > 0 && ticks < 40) ++ticks;
  EXPECT_LT(ticks, 40);
  std::cout << "flood: at most " << mostQueued << " bytes queued, " << ResidentKb() - idleKb
            << " kB more resident, " << ticks << " ticks to drain\n";
  line.Send(kFrameLength, 0xB0);
  EXPECT_EQ(tick(kFrameLength), kFrameLength);
  EXPECT_EQ(buffer[0], 0xB0);
  EXPECT_TRUE(port.IsOpen());
  return cpu;
}

TEST(PosixSerialPortQueue, AFloodingDeviceIsHeldToTheInputQueue) {
  FloodAndRecover(1000);
}

// Costs in CPU time: run apart from the rest (label timing), on a quiet machine.
TEST(PosixSerialPortQueueTiming, AFloodCostsLittleCpu) {
  EXPECT_LT(FloodAndRecover(5000), 2.5);
}

TEST(PosixSerialPortLine, FramesLeaveWholeAndUnchanged) {
  Line line;
  PosixSerialPort port;
  ASSERT_TRUE(port.Open(line.path()));
  port.WriteAndWait(Numbered(0x30));
  EXPECT_EQ(line.Received(1000), BytesOf({Numbered(0x30)}));
  port.Write(Numbered(1));
  EXPECT_EQ(line.Received(1000), BytesOf({Numbered(1)}));
}

TEST(PosixSerialPortLine, WaitingForAStalledLineIsBounded) {
  // Output held back by the terminal, as by a driver that never sends: the wait for the poll
  // frame to leave gives up after a quarter second instead of freezing the window, and a
  // second poll while the line still holds the first is dropped without waiting.
  Line line;
  PosixSerialPort port;
  ASSERT_TRUE(port.Open(line.path()));
  ASSERT_EQ(::tcflow(line.slave(), TCOOFF), 0);
  const Frame poll = Numbered(0x30), block = Numbered(1);

  auto start = Clock::now();
  port.WriteAndWait(poll);
  const long first = Milliseconds(Clock::now() - start);
  start = Clock::now();
  port.WriteAndWait(poll);
  const long second = Milliseconds(Clock::now() - start);
  port.Write(block);  // a block frame is never dropped: its retries are counted
  EXPECT_GE(first, 200);
  EXPECT_LT(first, 1000);
  EXPECT_LT(second, 100);
  EXPECT_TRUE(line.Received(50).empty());
  EXPECT_EQ(port.QueuedBytes(), 0u);  // a full queue is not a lost device
  EXPECT_TRUE(port.IsOpen());

  // Once the line moves again the next tick sends the first poll and the block frame, whole
  // and in order, and a line that drains is waited on and polled as before.
  ASSERT_EQ(::tcflow(line.slave(), TCOON), 0);
  port.QueuedBytes();
  EXPECT_EQ(line.Received(1000), BytesOf({poll, block}));
  port.WriteAndWait(poll);
  EXPECT_EQ(line.Received(1000), BytesOf({poll}));
  EXPECT_FALSE(port.Vanished());
}

TEST(PosixSerialPortVanishing, AVanishedDeviceIsClosedOnceAndThenSilent) {
  using Notice = void (*)(PosixSerialPort&);
  const std::pair<const char*, Notice> cases[] = {
      {"count of queued bytes", [](PosixSerialPort& p) { p.QueuedBytes(); }},
      {"read",
       [](PosixSerialPort& p) {
         std::array<std::uint8_t, 52> b{};
         p.Read(b);
       }},
      {"write", [](PosixSerialPort& p) { p.Write(Numbered(1)); }},
      {"write and wait", [](PosixSerialPort& p) { p.WriteAndWait(Numbered(0x30)); }},
  };
  for (const auto& [name, notice] : cases) {
    SCOPED_TRACE(name);
    Line line;
    PosixSerialPort port;
    ASSERT_TRUE(port.Open(line.path()));
    line.Close();
    const auto start = Clock::now();
    notice(port);
    EXPECT_LT(Milliseconds(Clock::now() - start), 200);
    EXPECT_TRUE(port.Vanished());
    EXPECT_FALSE(port.IsOpen());
    // Afterwards every call is a quiet no-op.
    std::array<std::uint8_t, 52> buffer{};
    port.Write(Numbered(1));
    port.WriteAndWait(Numbered(0x30));
    EXPECT_EQ(port.Read(buffer), 0u);
    EXPECT_EQ(port.QueuedBytes(), 0u);
    port.Close();
    EXPECT_TRUE(port.Vanished());
    // A device that is back opens and clears the mark; a failed open does not.
    EXPECT_FALSE(port.Open(""));
    EXPECT_TRUE(port.Vanished());
    Line again;
    ASSERT_TRUE(port.Open(again.path()));
    EXPECT_FALSE(port.Vanished());
    again.Send(kFrameLength);
    EXPECT_EQ(port.QueuedBytes(), kFrameLength);
  }
}

}  // namespace
}  // namespace qm17
