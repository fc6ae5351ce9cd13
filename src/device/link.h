#pragma once
// The device link: the 55 ms tick, polling, frame dispatch, and the Read / Verify / Program
// state machine. Driven tick by tick and frame by frame, with no clock of its own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/frames.h"
#include "device/monitor.h"
#include "device/serial_port.h"
#include "params/device_image.h"

namespace qm17 {

namespace timing {
inline constexpr int kTickMs = 55;
inline constexpr std::uint8_t kTicksPerPoll = 6;
inline constexpr std::uint8_t kTicksPerTimeout = 4;
inline constexpr std::uint8_t kFailingTryCount = 6;  // a frame is sent at most 5 times
inline constexpr std::uint8_t kSilentTicks = 18;     // the label shows from the 19th
inline constexpr std::uint8_t kMessageTicks = 200;
inline constexpr std::size_t kRxBufferSize = 15000;
}  // namespace timing

// How an operation stands. The link reports these as values; which caption, colour or message
// box follows is decided above it (DisplayForOutcome), and the command line's exit status too.
enum class LinkResult : std::uint8_t {
  Started,    // the operation began
  Verifying,  // Read or Program went on to its verify step (the operation is Verify from then)
  Succeeded,  // the unit holds the parameter block; the link is idle
  Failed,     // see the reason; the link is idle
};

enum class FailureReason : std::uint8_t {
  None,
  NoAnswer,         // five sends of a frame without an accepted answer
  BlockDiffers,     // as NoAnswer, but the unit did answer, with a block that differs
  VersionMismatch,  // the unit's compatibility code is not 26; nothing was written
};

struct LinkOutcome {
  Operation operation = Operation::Idle;  // the operation in force when it happened
  LinkResult result = LinkResult::Started;
  FailureReason reason = FailureReason::None;
  // Only a failure fills these: enough to tell the user what the unit may now hold.
  Operation started = Operation::Idle;  // what was started: Read, Verify or Program
  std::uint8_t unansweredCommand = 0;   // the block command sent last (not for VersionMismatch)
  bool parametersSent = false;          // the window's parameter block went out as a write
  std::uint8_t unitCode = 0;            // VersionMismatch: the unit's compatibility code
  bool operator==(const LinkOutcome&) const = default;
};

// What the link shows. The window implements it; tests and the command line record it.
class LinkView {
 public:
  virtual ~LinkView() = default;
  virtual bool PrintLayout() const = 0;
  // An operation started, went on to its verify step or ended. A version mismatch ends with the
  // link idle already; a modal box shown for it may let further ticks run, which the link allows.
  virtual void ShowOutcome(const LinkOutcome& outcome) = 0;
  // The message countdown ran out: the status label and the gauge go.
  virtual void SetStatusVisible(bool visible) = 0;
  virtual void SetGaugeVisible(bool visible) = 0;  // CGauge
  virtual void SetGaugeProgress(int progress) = 0;
  virtual void SetNoConnectionVisible(bool visible) = 0;  // LabelSpojeni
  virtual void ShowLiveValues(const LiveValues& values) = 0;
  // Called at the end of every tick, changed or not; the view may skip an unchanged point.
  virtual void ShowCurrentPoint(const CurrentPoint& point) = 0;
  // NormaliseImage then ShowImageInControls, with the window's language and port.
  virtual void NormaliseAndShowImage() = 0;
};

class DeviceLink {
 public:
  DeviceLink(DeviceImage& image, SerialPort& port, LinkView& view);

  // One tick of Timer1: read and dispatch, poll or re-send, count down, silence, current point.
  void Tick();

  // Starts replace whatever operation runs. The caller reads the controls first where needed
  // (Verify and the Program command) and clears the file name shown when it starts a Read.
  void StartRead();
  void StartVerify();
  void StartProgram(std::uint8_t firstTryCount);  // 0 from the menu, 1 after a change
  // Programming after change: returns true when it started a Program operation.
  bool ProgramAfterChange(bool optionTicked);
  // Sets the status countdown to 200 ticks (used by printing).
  void RestartMessageCountdown();

  Operation operation() const { return m_operation; }
  std::uint8_t currentCommand() const { return m_currentCommand; }
  std::uint8_t tickCounter() const { return m_tickCounter; }
  std::uint8_t tryCounter() const { return m_tryCounter; }
  std::uint8_t silenceCounter() const { return m_silenceCounter; }
  std::uint8_t messageCountdown() const { return m_messageCountdown; }
  std::uint16_t liveRpm() const { return m_liveRpm; }
  CurrentPoint currentPoint() const { return m_currentPoint; }
  const IdentificationTexts& identification() const { return m_identification; }
  bool autoProgramArmed() const { return m_autoProgramArmed; }
  // The parameter block the unit last answered with during the current or last operation
  // (Read's block 1, Verify's answer, Program's echo), matching or not; empty until one came.
  // A failed Verify or Program can so say what the unit holds instead.
  const std::optional<std::array<std::uint8_t, kBlockSize>>& LastUnitBlock() const {
    return m_lastUnitBlock;
  }
  int gaugeProgress() const { return m_gaugeProgress; }

 private:
  void ReadComPort();
  void HandleMonitorFrame(const Frame& frame);
  void HandleBlockResponse(const Frame& frame);
  void ReadStep(std::size_t block, std::span<const std::uint8_t, kPayloadLength> payload);
  void ProgramStep(std::size_t block, std::span<const std::uint8_t, kPayloadLength> payload);
  void VerifyStep(std::span<const std::uint8_t, kPayloadLength> payload);
  void KeepUnitBlock(std::span<const std::uint8_t, kPayloadLength> payload);
  void EndWithVersionMismatch();
  LinkOutcome Failure(FailureReason reason) const;
  void StartVerifyStep();
  void SendNext(std::uint8_t nextCommand);
  void SendBlockFrame();
  void ShowStatus(LinkResult result);
  void AdvanceGauge();
  bool MatchesParameterBlock(std::span<const std::uint8_t, kPayloadLength> payload) const;

  DeviceImage& m_image;
  SerialPort& m_port;
  LinkView& m_view;
  Operation m_operation = Operation::Idle;
  std::uint8_t m_currentCommand = 0;
  std::uint8_t m_tickCounter = 0;
  std::uint8_t m_tryCounter = 0;
  std::uint8_t m_silenceCounter = 0;
  std::uint8_t m_messageCountdown = 0;
  std::uint16_t m_liveRpm = 0;
  CurrentPoint m_currentPoint;
  IdentificationTexts m_identification;
  int m_gaugeProgress = 0;
  bool m_autoProgramArmed = false;
  bool m_answerDiffered = false;  // since the frame now re-sent was first sent
  Operation m_startedOperation = Operation::Idle;
  bool m_parametersSent = false;  // since the operation started
  std::array<std::uint8_t, kBlockSize> m_programmedCopy{};
  std::optional<std::array<std::uint8_t, kBlockSize>> m_lastUnitBlock;
  std::vector<std::uint8_t> m_rxBuffer;
};

}  // namespace qm17
