// The Qt serial adapter against pseudo-terminals: what the link sees of queued bytes, what
// goes on the line, and how a device that vanishes is put away.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <array>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/cpu_seconds.h"
#include "common/pseudo_terminal.h"
#include "device/qt_serial_port.h"

namespace qm17 {
namespace {

// The master side of a pseudo-terminal: plays the device.
class Pty : public test::PseudoTerminal {
 public:
  Pty() : PseudoTerminal(false) {
    if (!ok()) return;
    termios t{};
    ::tcgetattr(master(), &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master(), TCSANOW, &t);
  }

  bool ok() const { return master() >= 0 && !PseudoTerminal::slavePath().empty(); }
  QString slavePath() const { return QString::fromStdString(PseudoTerminal::slavePath()); }
  void Send(std::size_t count, std::uint8_t first = 0) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    ASSERT_EQ(::write(master(), bytes.data(), count), static_cast<ssize_t>(count));
  }
  // Whatever the port sent, waiting at most `timeoutMs` for the first byte.
  std::vector<std::uint8_t> Receive(int timeoutMs) {
    std::vector<std::uint8_t> got;
    pollfd p{master(), POLLIN, 0};
    while (::poll(&p, 1, got.empty() ? timeoutMs : 20) > 0 && (p.revents & POLLIN)) {
      std::array<std::uint8_t, 256> chunk{};
      const ssize_t n = ::read(master(), chunk.data(), chunk.size());
      if (n <= 0) break;
      got.insert(got.end(), chunk.begin(), chunk.begin() + n);
    }
    return got;
  }
};

// Bounded wait for something the kernel or the event loop does on its own time.
bool WaitUntil(const std::function<bool()>& done, bool pumpEvents, int limitMs = 2000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > limitMs) return false;
    if (pumpEvents) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

using test::CpuSeconds;

long ResidentKb() {
  long size = 0, pages = 0;
  std::ifstream("/proc/self/statm") >> size >> pages;
  return pages * (::sysconf(_SC_PAGESIZE) / 1024);
}

const Frame kPollFrame = {0x30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   0, 0,
                          0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   0, 0,
                          0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xCF};

// A write frame of block 1 with payload 1, 2, ... 50; check byte worked out by hand:
// 0xFF ^ 0x01 ^ (1 ^ 2 ^ ... ^ 50) = 0xFF ^ 0x01 ^ 0x33 = 0xCD.
const Frame kBlockFrame = {0x01, 1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,  //
                           13,   14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25,  //
                           26,   27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38,  //
                           39,   40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 0xCD};

TEST(QtSerialPortQueue, CountsWhatTheDriverHoldsWithoutTheEventLoop) {
  // The link reads only from 52 queued bytes on; the count must include bytes that Qt has
  // not fetched yet, or a tick would wait a whole period for them.
  struct Case {
    std::size_t sent;
    std::size_t expected;
  };
  const Case cases[] = {{0, 0}, {1, 1}, {51, 51}, {52, 52}, {700, 700}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent);
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QtSerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    pty.Send(c.sent);
    if (c.sent > 0) {
      EXPECT_TRUE(WaitUntil([&] { return port.QueuedBytes() == c.expected; }, false));
    }
    EXPECT_EQ(port.QueuedBytes(), c.expected);
  }
}

TEST(QtSerialPortQueue, ReadTakesQueuedBytesInOrderUpToTheBuffer) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  QtSerialPort port;
  ASSERT_TRUE(port.Open(pty.slavePath()));
  pty.Send(130, 10);
  ASSERT_TRUE(WaitUntil([&] { return port.QueuedBytes() == 130; }, false));

  std::array<std::uint8_t, 100> buffer{};
  ASSERT_EQ(port.Read(buffer), 100u);
  EXPECT_EQ(buffer[0], 10);
  EXPECT_EQ(buffer[99], 109);
  EXPECT_EQ(port.QueuedBytes(), 30u);
  ASSERT_EQ(port.Read(buffer), 30u);
  EXPECT_EQ(buffer[0], 110);
  EXPECT_EQ(buffer[29], 139);
  EXPECT_EQ(port.QueuedBytes(), 0u);
  EXPECT_EQ(port.Read(buffer), 0u);
}

TEST(QtSerialPortQueue, InputQueuedBeforeOpeningIsDropped) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  // Keep the line raw and its input alive while nobody listens.
  const int early = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
  ASSERT_GE(early, 0);
  termios t{};
  ::tcgetattr(early, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(early, TCSANOW, &t);
  pty.Send(80);
  int queued = 0;
  ASSERT_TRUE(
      WaitUntil([&] { return ::ioctl(early, FIONREAD, &queued) == 0 && queued == 80; }, false));

  QtSerialPort port;
  ASSERT_TRUE(port.Open(pty.slavePath()));
  EXPECT_EQ(port.QueuedBytes(), 0u);
  pty.Send(52, 0x40);
  ASSERT_TRUE(WaitUntil([&] { return port.QueuedBytes() == 52; }, false));
  std::array<std::uint8_t, 52> buffer{};
  ASSERT_EQ(port.Read(buffer), 52u);
  EXPECT_EQ(buffer[0], 0x40);
  ::close(early);
}

TEST(QtSerialPortQueue, AFloodingDeviceIsHeldToTheInputQueue) {
  // A USB device sends at USB speed whatever the baud rate: 1 MB/s in 64-byte packets for 5 s,
  // polled as the link polls. Queue, memory and CPU stay bounded; a later frame is read alone.
  Pty pty;
  ASSERT_TRUE(pty.ok());
  QtSerialPort port;
  ASSERT_TRUE(port.Open(pty.slavePath()));
  ::fcntl(pty.master(), F_SETFL, O_NONBLOCK);  // a full line drops packets, as a device does
  std::thread device([&] {
    const std::array<std::uint8_t, 64> packet{};
    for (int i = 0; i < 5000 / 4; ++i, ::usleep(4000))
      for (int k = 0; k < 4000 / 64; ++k) (void)::write(pty.master(), packet.data(), 64);
  });
  const long idleKb = ResidentKb();
  const double cpuBefore = CpuSeconds();
  std::size_t mostQueued = 0, got = 0;
  std::array<std::uint8_t, 15000> buffer{};
  const auto tick = [&] {  // as the link reads: everything queued, from 52 bytes on
    WaitUntil([] { return false; }, true, 55);
    mostQueued = std::max(mostQueued, port.QueuedBytes());
    return port.QueuedBytes() < kFrameLength ? 0 : port.Read(buffer);
  };
  for (int i = 0; i < 5000 / 55; ++i) tick();
  device.join();
  EXPECT_LE(mostQueued, 10000u);
  EXPECT_LT(ResidentKb() - idleKb, 4096);
  EXPECT_LT(CpuSeconds() - cpuBefore, 2.5);  // the device's thread included; a busy loop takes 5
  for (int i = 0; i < 20 && tick() > 0; ++i) {
  }
  pty.Send(kFrameLength, 0xB0);
  for (int i = 0; i < 20 && got == 0; ++i) got = tick();
  EXPECT_EQ(got, kFrameLength);
  EXPECT_EQ(buffer[0], 0xB0);
}

TEST(QtSerialPortLine, FramesLeaveWholeAndUnchanged) {
  struct Case {
    const char* name;
    const Frame* frame;
    bool wait;
  };
  const Case cases[] = {{"poll, waiting", &kPollFrame, true},
                        {"block, not waiting", &kBlockFrame, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QtSerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    if (c.wait) {
      port.WriteAndWait(*c.frame);
    } else {
      port.Write(*c.frame);
    }
    const std::vector<std::uint8_t> got = pty.Receive(1000);
    EXPECT_EQ(got, std::vector<std::uint8_t>(c.frame->begin(), c.frame->end()));
  }
}

TEST(QtSerialPortLine, OpensAt57600EightDataBitsNoParityOneStopNoHandshake) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  QtSerialPort port;
  ASSERT_TRUE(port.Open(pty.slavePath()));
  termios t{};
  // On Linux the master reports the settings of the terminal it drives.
  ASSERT_EQ(::tcgetattr(pty.master(), &t), 0);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B57600));
  EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B57600));
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
}

TEST(QtSerialPortLine, WaitingForAStalledLineIsBounded) {
  // Output held back by the terminal, as by a driver that never sends: the wait for the poll
  // frame to leave gives up after a quarter second instead of freezing the window, and a
  // second poll while the line still holds the first is dropped without waiting.
  Pty pty;
  ASSERT_TRUE(pty.ok());
  QtSerialPort port;
  ASSERT_TRUE(port.Open(pty.slavePath()));
  const int control = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
  ASSERT_GE(control, 0);
  ASSERT_EQ(::tcflow(control, TCOOFF), 0);

  QElapsedTimer timer;
  timer.start();
  port.WriteAndWait(kPollFrame);
  const qint64 first = timer.restart();
  port.WriteAndWait(kPollFrame);
  const qint64 second = timer.elapsed();
  port.Write(kBlockFrame);  // a block frame is never dropped: its retries are counted
  EXPECT_GE(first, 200);
  EXPECT_LT(first, 1000);
  EXPECT_LT(second, 100);
  EXPECT_TRUE(pty.Receive(50).empty());
  // A full queue is not a lost device: the port stays open and the frames wait.
  WaitUntil([] { return false; }, true, 100);
  EXPECT_TRUE(port.IsOpen());

  // Once the line moves again the first poll and the block frame arrive, whole and in order.
  ASSERT_EQ(::tcflow(control, TCOON), 0);
  std::vector<std::uint8_t> got;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::vector<std::uint8_t> more = pty.Receive(5);
        got.insert(got.end(), more.begin(), more.end());
        return got.size() >= 2 * kFrameLength;
      },
      true));
  std::vector<std::uint8_t> expected(kPollFrame.begin(), kPollFrame.end());
  expected.insert(expected.end(), kBlockFrame.begin(), kBlockFrame.end());
  EXPECT_EQ(got, expected);
  EXPECT_TRUE(pty.Receive(100).empty());
  EXPECT_TRUE(port.IsOpen());

  // A line that drains is waited on and polled as before.
  port.WriteAndWait(kPollFrame);
  EXPECT_EQ(pty.Receive(1000), std::vector<std::uint8_t>(kPollFrame.begin(), kPollFrame.end()));
  ::close(control);
}

TEST(QtSerialPortOpen, MissingDeviceFailsAndStaysQuiet) {
  QtSerialPort port;
  EXPECT_FALSE(port.Open(QStringLiteral("/nonexistent/qm17-no-such-port")));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.QueuedBytes(), 0u);
  std::array<std::uint8_t, 52> buffer{};
  EXPECT_EQ(port.Read(buffer), 0u);
  port.Write(kPollFrame);
  port.WriteAndWait(kPollFrame);
  port.Close();
  port.Close();
  EXPECT_FALSE(port.IsOpen());
}

// The settings file may name anything as a port: only a terminal opens, nothing else is
// waited on (a FIFO without a writer), read endlessly (/dev/zero) or changed (a file).
TEST(QtSerialPortOpen, OnlyATerminalOpens) {
  char folder[] = "/tmp/qm17-port-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const std::string file = std::string(folder) + "/file";
  const std::string fifo = std::string(folder) + "/fifo";
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_EQ(::write(fd, "KORVALEX_KEY 26", 15), 15);
  ::close(fd);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {file, fifo, std::string(folder), std::string("/dev/zero"),
                                  std::string("/dev/null"), std::string()}) {
    QtSerialPort port;
    EXPECT_FALSE(port.Open(QString::fromStdString(path))) << path;
    EXPECT_EQ(port.QueuedBytes(), 0u) << path;
  }
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 15);
  ::unlink(file.c_str());
  ::unlink(fifo.c_str());
  ::rmdir(folder);
}

// What makes the device vanish, seen from the port.
enum class Trigger { EventLoop, Write, WriteAndWait, QueuedBytes };

TEST(QtSerialPortVanishing, ClosesOnceAndGoesSilent) {
  const std::pair<const char*, Trigger> cases[] = {{"event loop", Trigger::EventLoop},
                                                   {"write", Trigger::Write},
                                                   {"write and wait", Trigger::WriteAndWait},
                                                   {"queued bytes", Trigger::QueuedBytes}};
  for (const auto& [name, trigger] : cases) {
    SCOPED_TRACE(name);
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QtSerialPort port;
    int lost = 0;
    QObject::connect(&port, &QtSerialPort::DeviceLost, [&] { ++lost; });
    ASSERT_TRUE(port.Open(pty.slavePath()));
    pty.CloseMaster();

    switch (trigger) {
      case Trigger::EventLoop:
        break;
      case Trigger::Write:
        port.Write(kBlockFrame);
        break;
      case Trigger::WriteAndWait:
        port.WriteAndWait(kPollFrame);
        break;
      case Trigger::QueuedBytes:
        port.QueuedBytes();
        break;
    }
    EXPECT_EQ(port.QueuedBytes(), 0u);
    ASSERT_TRUE(WaitUntil([&] { return !port.IsOpen(); }, true));

    // Afterwards the port is simply dead: no spinning, no second report, nothing queued.
    const double before = CpuSeconds();
    WaitUntil([] { return false; }, true, 300);
    EXPECT_LT(CpuSeconds() - before, 0.1);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(port.QueuedBytes(), 0u);
    std::array<std::uint8_t, 52> buffer{};
    EXPECT_EQ(port.Read(buffer), 0u);
    port.Write(kBlockFrame);
    port.WriteAndWait(kPollFrame);
    EXPECT_FALSE(port.IsOpen());
  }
}

TEST(QtSerialPortVanishing, APortOpenedBeforeTheQueuedCloseStaysOpen) {
  Pty gone;
  Pty back;
  ASSERT_TRUE(gone.ok() && back.ok());
  QtSerialPort port;
  int lost = 0;
  QObject::connect(&port, &QtSerialPort::DeviceLost, [&] { ++lost; });
  ASSERT_TRUE(port.Open(gone.slavePath()));
  gone.CloseMaster();
  port.Write(kBlockFrame);  // fails and queues the close
  ASSERT_TRUE(port.Open(back.slavePath()));

  WaitUntil([] { return false; }, true, 100);
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(lost, 0);
  back.Send(52);
  EXPECT_TRUE(WaitUntil([&] { return port.QueuedBytes() == 52; }, true));
}

}  // namespace
}  // namespace qm17

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
