// The Windows serial port's logic over a recording stand-in for the system's calls, so that it
// runs on every system.

#include "device/win32_serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/link_fakes.h"
#include "device/link.h"
#include "device/win32_port_names.h"
#include "params/device_image.h"

namespace qm17 {
namespace {

using Calls = std::vector<std::string>;

// Records every call as a line of text; a call on any other handle than the one it opened is
// recorded as such.
class RecordingComm : public CommCalls {
 public:
  static constexpr Handle kHandle = 0x7c;

  Calls calls;
  std::optional<std::uint32_t> openError;  // set: the open fails with it
  bool timeoutsReadable = true;
  bool serial = true;  // false: the line's state cannot be read
  std::optional<CommQueues> queues = CommQueues{};
  std::uint32_t outputAfterWrite = 0;  // bytes a write leaves in the output queue

  Opened Open(const std::string& name) override {
    calls.push_back("Open " + name);
    if (openError) return {std::nullopt, *openError};
    return {kHandle, 0};
  }
  bool GetTimeouts(Handle h, CommTimeouts& t) override {
    Record(h, "GetTimeouts");
    if (timeoutsReadable) t = {1, 2, 3, 4, 5};
    return timeoutsReadable;
  }
  void SetTimeouts(Handle h, const CommTimeouts& t) override {
    Record(h, "SetTimeouts " + std::to_string(t.readInterval) + " " +
                  std::to_string(t.readMultiplier) + " " + std::to_string(t.readConstant) + " " +
                  std::to_string(t.writeMultiplier) + " " + std::to_string(t.writeConstant));
  }
  bool ConfigureLine(Handle h, const std::string& definition) override {
    Record(h, "ConfigureLine " + definition);
    return serial;
  }
  void SetupQueues(Handle h, std::uint32_t in, std::uint32_t out) override {
    Record(h, "SetupQueues " + std::to_string(in) + " " + std::to_string(out));
  }
  void SetEventMask(Handle h, std::uint32_t mask) override {
    Record(h, "SetEventMask " + std::to_string(mask));
  }
  std::optional<CommQueues> ClearErrors(Handle h) override {
    Record(h, "ClearErrors");
    return queues;
  }
  std::size_t Read(Handle h, std::span<std::uint8_t> buffer) override {
    Record(h, "Read " + std::to_string(buffer.size()));
    if (queues) queues->input -= static_cast<std::uint32_t>(buffer.size());
    return buffer.size();
  }
  std::size_t Write(Handle h, std::span<const std::uint8_t> bytes) override {
    Record(h, "Write " + std::to_string(bytes.size()));
    if (queues) queues->output = outputAfterWrite;
    return bytes.size();
  }
  void Purge(Handle h, std::uint32_t flags) override {
    Record(h, "Purge " + std::to_string(flags));
  }
  void Close(Handle h) override { Record(h, "Close"); }

  Calls Take() { return std::exchange(calls, {}); }

 private:
  void Record(Handle h, const std::string& call) {
    calls.push_back(h == kHandle ? call : call + " on a handle never opened");
  }
};

struct Win32SerialPortTest : ::testing::Test {
  std::unique_ptr<RecordingComm> made = std::make_unique<RecordingComm>();
  RecordingComm& comm = *made;
  Win32SerialPort port{std::move(made)};
};

const Calls kClose = {"Purge 2", "SetTimeouts 1 2 3 4 5", "Close"};

TEST_F(Win32SerialPortTest, OpensWithTheLineSettingsAndPutsTheLinesOwnTimeOutsBackOnClose) {
  ASSERT_TRUE(port.Open("COM3"));
  EXPECT_EQ(comm.Take(),
            (Calls{"Open COM3", "GetTimeouts", "SetTimeouts 0 0 100 0 0",
                   "ConfigureLine 57600,N,8,1", "SetupQueues 10000 1024", "SetEventMask 4"}));
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.LastFailure(), PortFailure::None);
  port.Close();
  EXPECT_EQ(comm.Take(), kClose);
  EXPECT_FALSE(port.IsOpen());
  port.Close();
  EXPECT_EQ(comm.Take(), Calls{});
  // Opening again closes the line first.
  ASSERT_TRUE(port.Open("COM3"));
  comm.Take();
  ASSERT_TRUE(port.Open("COM4"));
  EXPECT_EQ(Calls(comm.calls.begin(), comm.calls.begin() + 4),
            (Calls{"Purge 2", "SetTimeouts 1 2 3 4 5", "Close", "Open COM4"}));
}

TEST_F(Win32SerialPortTest, AFailedOpenSaysWhyAndLeavesNothingToCallOn) {
  struct Case {
    const char* name;
    std::optional<std::uint32_t> openError;
    bool timeoutsReadable, serial;
    PortFailure failure;
    Calls calls;
  };
  const Case cases[] = {
      {"file not found", 2, true, true, PortFailure::NotPresent, {"Open COM3"}},
      {"path not found", 3, true, true, PortFailure::NotPresent, {"Open COM3"}},
      {"access denied", 5, true, true, PortFailure::Busy, {"Open COM3"}},
      {"sharing violation", 32, true, true, PortFailure::Busy, {"Open COM3"}},
      {"another error", 1167, true, true, PortFailure::Other, {"Open COM3"}},
      {"no time-outs",
       std::nullopt,
       false,
       true,
       PortFailure::NotSerial,
       {"Open COM3", "GetTimeouts", "Close"}},
      {"no line state",
       std::nullopt,
       true,
       false,
       PortFailure::NotSerial,
       {"Open COM3", "GetTimeouts", "SetTimeouts 0 0 100 0 0", "ConfigureLine 57600,N,8,1",
        "SetTimeouts 1 2 3 4 5", "Close"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    comm.openError = c.openError;
    comm.timeoutsReadable = c.timeoutsReadable;
    comm.serial = c.serial;
    EXPECT_FALSE(port.Open("COM3"));
    EXPECT_EQ(comm.Take(), c.calls);
    EXPECT_EQ(port.LastFailure(), c.failure);
    EXPECT_FALSE(port.IsOpen());
    // The failed line reads as empty and silent, and closing it calls nothing.
    std::uint8_t buffer[64];
    EXPECT_EQ(port.QueuedBytes(), 0u);
    EXPECT_EQ(port.Read(buffer), 0u);
    port.Write(Frame{});
    port.WriteAndWait(Frame{});
    port.Close();
    EXPECT_EQ(comm.Take(), Calls{});
    EXPECT_FALSE(port.Vanished());
  }
  EXPECT_FALSE(port.Open(""));
  EXPECT_EQ(port.LastFailure(), PortFailure::NotPresent);
  EXPECT_EQ(comm.Take(), Calls{});
}

TEST_F(Win32SerialPortTest, PortsFromTenOnOpenThroughTheDeviceNamespace) {
  const std::pair<const char*, const char*> names[] = {
      {"COM1", "Open COM1"},
      {"COM9", "Open COM9"},
      {"COM10", "Open \\\\.\\COM10"},
      {"com12", "Open \\\\.\\com12"},
      {"COM256", "Open \\\\.\\COM256"},
      {"\\\\.\\COM3", "Open \\\\.\\COM3"},
      {"\\\\.\\COM11", "Open \\\\.\\COM11"},
      {"COMX1", "Open COMX1"},
  };
  comm.openError = 2;
  for (const auto& [name, call] : names) {
    port.Open(name);
    EXPECT_EQ(comm.Take(), Calls{call}) << name;
  }
}

TEST(Win32PortNames, HardwareIdsGiveTheirUsbIds) {
  const UsbIds ftdi = UsbIdsFromHardwareId("FTDIBUS\\COMPORT&VID_0403&PID_6001");
  EXPECT_EQ(ftdi.vendorId, "0403");
  EXPECT_EQ(ftdi.productId, "6001");
  const UsbIds acm = UsbIdsFromHardwareId("USB\\vid_2341&pid_003d&REV_0001&MI_00");
  EXPECT_EQ(acm.vendorId, "2341");
  EXPECT_EQ(acm.productId, "003D");
  const UsbIds builtIn = UsbIdsFromHardwareId("ACPI\\PNP0501");
  EXPECT_EQ(builtIn.vendorId, "");
  EXPECT_EQ(builtIn.productId, "");
  EXPECT_EQ(UsbIdsFromHardwareId("USB\\VID_04&PID_12").vendorId, "");
}

TEST_F(Win32SerialPortTest, OnlyAWholeFrameIsReadAndAtMostTheReceiveBuffer) {
  DeviceImage image{};
  test::QuietLinkView view;
  DeviceLink link{image, port, view};
  ASSERT_TRUE(port.Open("COM3"));
  const auto readsOfATick = [&](std::uint32_t queued) {
    comm.queues = CommQueues{queued, 0};
    comm.Take();
    link.Tick();
    Calls reads;
    for (const std::string& call : comm.calls) {
      if (call.starts_with("Read")) reads.push_back(call);
    }
    return reads;
  };
  EXPECT_EQ(readsOfATick(51), Calls{});
  EXPECT_EQ(readsOfATick(52), Calls{"Read 52"});
  EXPECT_EQ(readsOfATick(15001), Calls{"Read 15000"});
  EXPECT_EQ(readsOfATick(40000), Calls{"Read 15000"});
}

TEST_F(Win32SerialPortTest, ALineWhoseQueuesCannotBeCountedIsClosedOnceAndThenSilent) {
  using Notice = void (*)(Win32SerialPort&);
  const std::pair<const char*, Notice> notices[] = {
      {"count of queued bytes", [](Win32SerialPort& p) { EXPECT_EQ(p.QueuedBytes(), 0u); }},
      {"read",
       [](Win32SerialPort& p) {
         std::uint8_t buffer[52];
         EXPECT_EQ(p.Read(buffer), 0u);
       }},
      {"write and wait", [](Win32SerialPort& p) { p.WriteAndWait(Frame{}); }},
  };
  for (const auto& [name, notice] : notices) {
    SCOPED_TRACE(name);
    comm.queues = CommQueues{};
    ASSERT_TRUE(port.Open("COM3"));
    comm.Take();
    comm.queues.reset();
    notice(port);
    Calls calls = comm.Take();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(Calls(calls.end() - 4, calls.end()),
              (Calls{"ClearErrors", "Purge 2", "SetTimeouts 1 2 3 4 5", "Close"}));
    EXPECT_TRUE(port.Vanished());
    EXPECT_FALSE(port.IsOpen());
    std::uint8_t buffer[52];
    EXPECT_EQ(port.QueuedBytes(), 0u);
    EXPECT_EQ(port.Read(buffer), 0u);
    port.Write(Frame{});
    port.WriteAndWait(Frame{});
    port.Close();
    EXPECT_EQ(comm.Take(), Calls{});
    comm.queues = CommQueues{};
    ASSERT_TRUE(port.Open("COM3"));
    EXPECT_FALSE(port.Vanished());
    port.Close();
  }
}

TEST_F(Win32SerialPortTest, WaitingForAStalledLineIsBoundedAndNotRepeated) {
  ASSERT_TRUE(port.Open("COM3"));
  comm.outputAfterWrite = 52;  // nothing ever leaves
  const auto start = std::chrono::steady_clock::now();
  port.WriteAndWait(Frame{});
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(50));
  EXPECT_LT(waited, std::chrono::milliseconds(1000));
  comm.Take();
  // Still stuck: no second frame and no second wait.
  port.WriteAndWait(Frame{});
  EXPECT_EQ(comm.Take(), Calls{"ClearErrors"});
  // Moving again: the poll goes out and is waited for until the queue is empty.
  comm.queues->output = 0;
  comm.outputAfterWrite = 0;
  port.WriteAndWait(Frame{});
  EXPECT_EQ(comm.Take(), (Calls{"ClearErrors", "Write 52", "ClearErrors"}));
}

}  // namespace
}  // namespace qm17
