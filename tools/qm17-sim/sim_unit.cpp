#include "sim_unit.h"

#include <algorithm>

namespace qm17::sim {

namespace {

constexpr std::uint8_t kPoll = 0x30;
constexpr std::uint8_t kMonitor = 0xB0;
constexpr std::uint8_t kReadFlag = 0x40;
constexpr std::uint8_t kBlockMask = 0x3F;
constexpr std::uint8_t kAnswerFlip = 0x80;

constexpr std::uint16_t kIdleRpm = 1200;
constexpr std::uint16_t kRpmStep = 300;  // per poll: idle to limiter in about 15 s
constexpr std::uint16_t kOverrun = 600;  // how far the sweep goes past the limiter
constexpr int kVoltageRaw = 1934;        // about 13.8 V

// The unit's own firmware identification: letters, version, 14 Mar 2025, 10:30.
void WriteIdentification(Memory& memory, const Options& options) {
  memory[0] = 'S';
  memory[1] = 'I';
  memory[2] = 'M';
  memory[3] = 3;
  memory[4] = 14;
  memory[5] = static_cast<std::uint8_t>('M' + 'a' + 'r');  // month code: sum of the letters
  memory[6] = 25;
  memory[7] = 10;
  memory[8] = 30;
  memory[10] = options.compatibilityCode;
  const std::size_t length = std::min<std::size_t>(options.identText.size(), 30);
  for (std::size_t i = 0; i < length; ++i) {
    memory[16 + i] = static_cast<std::uint8_t>(options.identText[i]);
  }
}

// Factory parameters: the program's default set.
void WriteDefaultParameters(Memory& memory) {
  memory[50] = 15;
  memory[51] = 10;
  memory[52] = 150;
  memory[53] = 1;
  memory[55] = 2;
  memory[56] = 60;
  memory[57] = 6;
  memory[58] = 1;
  memory[59] = 120;
  for (std::size_t i = 0; i < 15; ++i) {
    memory[60 + i] = static_cast<std::uint8_t>(10 * (i + 1));
    memory[80 + i] = 10;
  }
}

void Put16(std::array<std::uint8_t, kBlockBytes>& payload, std::size_t frameOffset,
           std::uint16_t value) {
  payload[frameOffset - 1] = static_cast<std::uint8_t>(value & 0xFF);
  payload[frameOffset] = static_cast<std::uint8_t>(value >> 8);
}

// An answer from its first byte and a 50-byte payload, check byte filled in: 0xFF XOR the
// first 51 bytes.
std::array<std::uint8_t, kFrameBytes> MakeFrame(std::uint8_t first,
                                                std::span<const std::uint8_t> payload) {
  std::array<std::uint8_t, kFrameBytes> frame{};
  frame[0] = first;
  std::copy_n(payload.begin(), std::min(payload.size(), kBlockBytes), frame.begin() + 1);
  std::uint8_t check = 0xFF;
  for (std::size_t i = 0; i + 1 < kFrameBytes; ++i) check ^= frame[i];
  frame[51] = check;
  return frame;
}

}  // namespace

SimUnit::SimUnit(const Options& options) : m_options(options), m_random(options.seed) {
  WriteIdentification(m_memory, m_options);
  WriteDefaultParameters(m_memory);
}

bool SimUnit::Chance(double probability) {
  if (probability <= 0.0) return false;
  return static_cast<double>(m_random()) / 4294967296.0 < probability;
}

std::vector<std::uint8_t> SimUnit::Answer(std::span<const std::uint8_t, kFrameBytes> request) {
  std::uint8_t sum = 0xFF;
  for (std::uint8_t byte : request) sum ^= byte;
  if (sum != 0) return {};  // a damaged request is never answered

  const std::uint8_t command = request[0];
  std::vector<std::uint8_t> answer;
  if (command == kPoll) {
    answer = MonitorAnswer();
  } else if ((command & kAnswerFlip) == 0 && (command & kBlockMask) <= 1) {
    answer = BlockAnswer(command, request.subspan(1, kBlockBytes));
  }
  if (answer.empty() || m_options.silent || Chance(m_options.dropProbability)) return {};
  return WithFaults(std::move(answer));
}

std::vector<std::uint8_t> SimUnit::BlockAnswer(std::uint8_t command,
                                               std::span<const std::uint8_t> payload) {
  const std::size_t block = command & kBlockMask;
  const bool isWrite = (command & kReadFlag) == 0;
  // Block 0 is the firmware's own identification: a write of it changes nothing.
  if (isWrite && block == 1) {
    std::copy(payload.begin(), payload.end(), m_memory.begin() + kBlockBytes);
    if (m_options.clamp) {
      // The limiter is kept one step (100 rpm) lower than written.
      std::uint8_t& limiter = m_memory[52];
      limiter = limiter > 0 ? static_cast<std::uint8_t>(limiter - 1) : 1;
    }
    ++m_programCount;
  }
  std::uint8_t first = command ^ kAnswerFlip;
  if (m_options.wrongAnswer) first ^= 0x02;  // still a well-formed frame, just the wrong one
  const auto frame = MakeFrame(
      first, std::span<const std::uint8_t>(m_memory.data() + block * kBlockBytes, kBlockBytes));
  return {frame.begin(), frame.end()};
}

std::uint8_t SimUnit::AdvanceAt(std::uint16_t rpm) const {
  const std::size_t points = std::clamp<std::size_t>(m_memory[50], 1, 15);
  const int hundreds = rpm / 100;
  const auto speed = [&](std::size_t i) { return static_cast<int>(m_memory[60 + i]); };
  const auto advance = [&](std::size_t i) { return static_cast<int>(m_memory[80 + i]); };
  if (hundreds <= speed(0)) return m_memory[80];
  for (std::size_t i = 1; i < points; ++i) {
    if (hundreds <= speed(i)) {
      const int span = std::max(1, speed(i) - speed(i - 1));
      const int value =
          advance(i - 1) + (advance(i) - advance(i - 1)) * (hundreds - speed(i - 1)) / span;
      return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    }
  }
  return m_memory[80 + points - 1];
}

void SimUnit::AdvanceEngine() {
  const int limiterRpm = m_memory[52] * 100;
  const int top = std::max<int>(limiterRpm + kOverrun, kIdleRpm + kRpmStep);
  int rpm = m_rpm;
  if (m_rising) {
    rpm += kRpmStep;
    if (rpm >= top) m_rising = false;
  } else {
    rpm -= kRpmStep;
    if (rpm <= kIdleRpm) {
      rpm = kIdleRpm;
      m_rising = true;
    }
  }
  m_rpm = static_cast<std::uint16_t>(std::clamp(rpm, 0, 65535));

  if (m_retardTicks > 0) {
    --m_retardTicks;
  } else if (Chance(0.03)) {
    m_retardTicks = 3 + static_cast<int>(m_random() % 10);
  }
  if (m_polarityGlitchTicks > 0) {
    --m_polarityGlitchTicks;
  } else if (Chance(0.02)) {
    m_polarityGlitchTicks = 2 + static_cast<int>(m_random() % 4);
  }
  ++m_polls;
}

std::vector<std::uint8_t> SimUnit::MonitorAnswer() {
  AdvanceEngine();
  const int noise = static_cast<int>(m_random() % 41) - 20;
  const auto rpm = static_cast<std::uint16_t>(std::max(0, m_rpm + noise));
  const bool retard = m_retardTicks > 0;
  // The start limiter works on the first run-ups only, now and then.
  const bool startLimiter = m_rising && rpm < m_memory[56] * 100 && (m_polls / 64) % 2 == 0;

  std::array<std::uint8_t, kBlockBytes> payload{};
  Put16(payload, 1, rpm);
  payload[2] = rpm > m_memory[52] * 100 ? 1 : 0;  // speed alarm (frame byte 3)
  int advance = AdvanceAt(rpm);
  if (retard) advance = std::max(0, advance - m_memory[57]);
  payload[4] = static_cast<std::uint8_t>(advance);
  payload[6] = startLimiter ? 0 : 1;
  Put16(payload, 9,
        static_cast<std::uint16_t>(kVoltageRaw + static_cast<int>(m_random() % 25) - 12));
  Put16(payload, 11, m_programCount);
  Put16(payload, 13, static_cast<std::uint16_t>(m_polls & 0xFFFF));
  Put16(payload, 15, static_cast<std::uint16_t>(rpm / 10));
  Put16(payload, 17, static_cast<std::uint16_t>(advance));
  payload[29] = retard ? 0 : 1;
  const std::uint8_t polarity = m_memory[55];
  payload[30] = polarity == 1 ? 1 : 0;  // self-search finds the positive edge
  payload[31] = m_polarityGlitchTicks > 0 ? 0 : 1;
  payload[32] = rpm >= m_memory[59] * 100 ? 1 : 0;  // shift light: speed warning (byte 33)
  const auto frame = MakeFrame(kMonitor, payload);
  return {frame.begin(), frame.end()};
}

std::vector<std::uint8_t> SimUnit::WithFaults(std::vector<std::uint8_t> frame) {
  if (Chance(m_options.corruptProbability)) {
    const std::size_t at = m_random() % frame.size();
    frame[at] ^= static_cast<std::uint8_t>(1u << (m_random() % 8));
  }
  if (Chance(m_options.junkProbability)) {
    const std::size_t count = 1 + m_random() % 8;
    std::vector<std::uint8_t> junk(count);
    for (auto& byte : junk) byte = static_cast<std::uint8_t>(m_random());
    frame.insert(frame.begin(), junk.begin(), junk.end());
  }
  return frame;
}

std::vector<std::array<std::uint8_t, kFrameBytes>> FrameAssembler::Feed(
    std::span<const std::uint8_t> bytes, long long nowMs) {
  Expire(nowMs);
  std::vector<std::array<std::uint8_t, kFrameBytes>> frames;
  if (bytes.empty()) return frames;
  m_lastByteMs = nowMs;
  m_pending.insert(m_pending.end(), bytes.begin(), bytes.end());
  std::size_t used = 0;
  while (m_pending.size() - used >= kFrameBytes) {
    auto& frame = frames.emplace_back();
    std::copy_n(m_pending.begin() + static_cast<std::ptrdiff_t>(used), kFrameBytes, frame.begin());
    used += kFrameBytes;
  }
  m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(used));
  return frames;
}

void FrameAssembler::Expire(long long nowMs) {
  if (!m_pending.empty() && nowMs - m_lastByteMs > m_gapMs) m_pending.clear();
}

long long FrameAssembler::DeadlineMs() const {
  return m_pending.empty() ? -1 : m_lastByteMs + m_gapMs + 1;
}

}  // namespace qm17::sim
