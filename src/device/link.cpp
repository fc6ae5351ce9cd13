#include "device/link.h"

#include <algorithm>

namespace qm17 {
namespace {

constexpr std::size_t kParameterBlockStart = image_byte::kParameterBlock;

}  // namespace

DeviceLink::DeviceLink(DeviceImage& image, SerialPort& port, LinkView& view)
    : m_image(image), m_port(port), m_view(view), m_rxBuffer(timing::kRxBufferSize) {}

void DeviceLink::Tick() {
  ReadComPort();

  ++m_tickCounter;
  if (m_operation == Operation::Idle) {
    if (m_tickCounter >= timing::kTicksPerPoll) {
      m_tickCounter = 0;
      m_port.WriteAndWait(BuildPollFrame());
    }
  } else if (m_tickCounter >= timing::kTicksPerTimeout) {
    m_tickCounter = 0;
    ++m_tryCounter;
    if (m_tryCounter >= timing::kFailingTryCount) {
      const LinkOutcome failed =
          Failure(m_answerDiffered ? FailureReason::BlockDiffers : FailureReason::NoAnswer);
      m_messageCountdown = timing::kMessageTicks;
      m_operation = Operation::Idle;
      m_view.ShowOutcome(failed);
    } else {
      SendBlockFrame();
    }
  }

  if (m_messageCountdown > 0) {
    --m_messageCountdown;
    if (m_messageCountdown == 0) {
      m_view.SetStatusVisible(false);
      m_view.SetGaugeVisible(false);
    }
  }

  if (m_silenceCounter < timing::kSilentTicks) {
    ++m_silenceCounter;
    m_view.SetNoConnectionVisible(false);
  } else {
    // A printed page never carries the no-connection label.
    m_view.SetNoConnectionVisible(!m_view.PrintLayout());
  }

  m_currentPoint = FindCurrentPoint(m_liveRpm, m_image);
  m_view.ShowCurrentPoint(m_currentPoint);
}

void DeviceLink::StartRead() {
  m_lastUnitBlock.reset();
  m_operation = m_startedOperation = Operation::Read;
  m_parametersSent = false;
  SendNext(command::kReadBlock0);
  ShowStatus(LinkResult::Started);
}

void DeviceLink::StartVerify() {
  m_lastUnitBlock.reset();
  m_operation = m_startedOperation = Operation::Verify;
  m_parametersSent = false;
  SendNext(command::kReadBlock1);
  ShowStatus(LinkResult::Started);
}

void DeviceLink::StartProgram(std::uint8_t firstTryCount) {
  // Nothing is sent here: the tick sends block 0 at its next time-out.
  m_lastUnitBlock.reset();
  m_operation = m_startedOperation = Operation::Program;
  m_parametersSent = false;
  m_currentCommand = command::kWriteBlock0;
  m_tryCounter = firstTryCount;
  m_answerDiffered = false;
  ShowStatus(LinkResult::Started);
}

bool DeviceLink::ProgramAfterChange(bool optionTicked) {
  if (!optionTicked) {
    m_autoProgramArmed = false;
    return false;
  }
  // The first call after the option was ticked always programs.
  bool pending = !m_autoProgramArmed;
  m_autoProgramArmed = true;
  for (std::size_t j = 0; j < kBlockSize; ++j) {
    const std::uint8_t byte = m_image[kParameterBlockStart + j];
    if (byte != m_programmedCopy[j]) {
      pending = true;
      m_programmedCopy[j] = byte;
    }
  }
  if (!pending) {
    return false;
  }
  StartProgram(1);
  return true;
}

void DeviceLink::RestartMessageCountdown() {
  m_messageCountdown = timing::kMessageTicks;
}

void DeviceLink::ReadComPort() {
  std::size_t count = m_port.QueuedBytes();
  if (count < kFrameLength) {
    return;  // a partial frame waits in the queue
  }
  count = std::min(count, timing::kRxBufferSize);
  const std::size_t read = m_port.Read(std::span<std::uint8_t>(m_rxBuffer.data(), count));
  // A short read must not let bytes of an earlier read pass for a frame.
  if (read < kFrameLength) {
    return;
  }
  // The handlers work on a copy: a message box shown from a handler lets further ticks run,
  // and those reuse the receive buffer.
  Frame frame;
  std::copy_n(m_rxBuffer.begin(), kFrameLength, frame.begin());
  if (frame[0] == command::kMonitorAnswer) {
    HandleMonitorFrame(frame);
  } else {
    HandleBlockResponse(frame);
  }
}

void DeviceLink::HandleMonitorFrame(const Frame& frame) {
  if (!IsCheckByteGood(frame)) {
    return;
  }
  m_silenceCounter = 0;
  const LiveValues values = DecodeMonitorFrame(frame);
  m_liveRpm = values.rpm;
  m_view.ShowLiveValues(values);
}

void DeviceLink::HandleBlockResponse(const Frame& frame) {
  if (!IsCheckByteGood(frame)) {
    return;
  }
  // From here on the frame is a sign of life, used or not.
  m_silenceCounter = 0;
  if (m_operation == Operation::Idle) {
    return;
  }
  if (frame[0] != (m_currentCommand ^ command::kAnswerFlip)) {
    return;  // not the answer we wait for; the tick re-sends on schedule
  }
  const std::span<const std::uint8_t, kPayloadLength> payload(frame.data() + 1, kPayloadLength);
  const std::size_t block = m_currentCommand & command::kBlockMask;
  switch (m_operation) {
    case Operation::Read:
      ReadStep(block, payload);
      break;
    case Operation::Program:
      ProgramStep(block, payload);
      break;
    case Operation::Verify:
      VerifyStep(payload);
      break;
    case Operation::Idle:
      break;
  }
}

void DeviceLink::ReadStep(std::size_t block,
                          std::span<const std::uint8_t, kPayloadLength> payload) {
  std::copy(payload.begin(), payload.end(),
            m_image.begin() + static_cast<std::ptrdiff_t>(block * kBlockSize));
  if (block == 0) {
    m_identification = DecodeIdentification(m_image);
    if (m_image[image_byte::kCompatibilityCode] != kCompatibilityCode) {
      EndWithVersionMismatch();
      return;
    }
    AdvanceGauge();
    SendNext(command::kReadBlock1);
  } else {
    KeepUnitBlock(payload);
    m_view.NormaliseAndShowImage();
    StartVerifyStep();
  }
}

void DeviceLink::ProgramStep(std::size_t block,
                             std::span<const std::uint8_t, kPayloadLength> payload) {
  if (block == 0) {
    // The unit's own identification replaces the one held.
    std::copy(payload.begin(), payload.end(), m_image.begin());
    m_identification = DecodeIdentification(m_image);
    m_view.NormaliseAndShowImage();
    if (m_image[image_byte::kCompatibilityCode] != kCompatibilityCode) {
      const LinkOutcome mismatch = Failure(FailureReason::VersionMismatch);
      m_operation = Operation::Idle;  // the parameter block is not sent
      m_view.ShowOutcome(mismatch);
      return;
    }
    AdvanceGauge();
    SendNext(command::kWriteBlock1);
  } else {
    KeepUnitBlock(payload);
    if (MatchesParameterBlock(payload)) {
      StartVerifyStep();
    } else {
      m_answerDiffered = true;  // ignored: the tick writes the block again
    }
  }
}

void DeviceLink::VerifyStep(std::span<const std::uint8_t, kPayloadLength> payload) {
  KeepUnitBlock(payload);
  if (!MatchesParameterBlock(payload)) {
    m_answerDiffered = true;  // never reported at once: the re-sends decide
    return;
  }
  m_messageCountdown = timing::kMessageTicks;
  m_operation = Operation::Idle;
  m_view.ShowOutcome({Operation::Verify, LinkResult::Succeeded, FailureReason::None});
}

void DeviceLink::KeepUnitBlock(std::span<const std::uint8_t, kPayloadLength> payload) {
  std::array<std::uint8_t, kBlockSize> block{};
  std::copy(payload.begin(), payload.end(), block.begin());
  m_lastUnitBlock = block;
}

void DeviceLink::EndWithVersionMismatch() {
  const LinkOutcome mismatch = Failure(FailureReason::VersionMismatch);
  // Idle before the box opens: the ticks that run under it only poll.
  m_operation = Operation::Idle;
  m_view.NormaliseAndShowImage();
  m_view.ShowOutcome(mismatch);
}

LinkOutcome DeviceLink::Failure(FailureReason reason) const {
  LinkOutcome failed{m_operation, LinkResult::Failed, reason};
  failed.started = m_startedOperation;
  failed.parametersSent = m_parametersSent;
  if (reason == FailureReason::VersionMismatch) {
    failed.unitCode = m_image[image_byte::kCompatibilityCode];
  } else {
    failed.unansweredCommand = m_currentCommand;
  }
  return failed;
}

void DeviceLink::StartVerifyStep() {
  m_operation = Operation::Verify;
  SendNext(command::kReadBlock1);
  ShowStatus(LinkResult::Verifying);
}

void DeviceLink::SendNext(std::uint8_t nextCommand) {
  m_currentCommand = nextCommand;
  m_tryCounter = 1;
  m_answerDiffered = false;
  SendBlockFrame();
}

void DeviceLink::SendBlockFrame() {
  m_tickCounter = 0;
  if (const auto frame = BuildBlockFrame(m_currentCommand, m_operation, m_image)) {
    m_port.Write(*frame);
    // From here the unit may hold the new block, answered or not.
    if (m_operation == Operation::Program && m_currentCommand == command::kWriteBlock1)
      m_parametersSent = true;
  }
}

void DeviceLink::ShowStatus(LinkResult result) {
  m_messageCountdown = timing::kMessageTicks;
  m_view.ShowOutcome({m_operation, result, FailureReason::None});
  m_gaugeProgress = 0;
  m_view.SetGaugeProgress(0);
}

void DeviceLink::AdvanceGauge() {
  ++m_gaugeProgress;
  m_view.SetGaugeProgress(m_gaugeProgress);
}

bool DeviceLink::MatchesParameterBlock(
    std::span<const std::uint8_t, kPayloadLength> payload) const {
  return std::equal(payload.begin(), payload.end(), m_image.begin() + kParameterBlockStart);
}

}  // namespace qm17
