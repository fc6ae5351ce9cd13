#pragma once
// The simulated ignition unit's answering logic, free of any I/O: frames in, answer bytes out.
// It keeps its own check-byte arithmetic so that a fault in the program's frame builder cannot
// hide behind the same fault here.

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace qm17::sim {

inline constexpr std::size_t kFrameBytes = 52;
inline constexpr std::size_t kBlockBytes = 50;
inline constexpr std::size_t kMemoryBytes = 100;

using Memory = std::array<std::uint8_t, kMemoryBytes>;

struct Options {
  std::uint8_t compatibilityCode = 26;
  std::string identText;  // up to 30 characters; empty leaves bytes 16..45 zero
  std::uint32_t seed = 1;
  bool silent = false;
  double dropProbability = 0.0;
  double corruptProbability = 0.0;  // flip one bit of an answer
  double junkProbability = 0.0;     // stray bytes ahead of an answer
  bool wrongAnswer = false;         // block answers with a good check byte but a wrong first byte
  bool clamp = false;               // block 1 is stored with one value changed
};

class SimUnit {
 public:
  explicit SimUnit(const Options& options);

  // Answers one complete 52-byte frame. Empty when the unit stays quiet (bad check byte, an
  // unknown command, a silent or dropping unit). May hold stray bytes ahead of the frame.
  std::vector<std::uint8_t> Answer(std::span<const std::uint8_t, kFrameBytes> request);

  const Memory& memory() const { return m_memory; }
  // Writes of block 1 so far, as the monitor frame reports them; the caller saves the memory
  // whenever it changes.
  std::uint16_t programCount() const { return m_programCount; }

 private:
  std::vector<std::uint8_t> MonitorAnswer();
  std::vector<std::uint8_t> BlockAnswer(std::uint8_t command,
                                        std::span<const std::uint8_t> payload);
  void AdvanceEngine();
  std::uint8_t AdvanceAt(std::uint16_t rpm) const;
  bool Chance(double probability);
  std::vector<std::uint8_t> WithFaults(std::vector<std::uint8_t> frame);

  Options m_options;
  Memory m_memory{};
  std::uint16_t m_programCount = 0;
  std::mt19937 m_random;
  // Engine model: speed sweeps up and down; flags change now and then.
  std::uint16_t m_rpm = 1200;
  bool m_rising = true;
  std::uint32_t m_polls = 0;
  int m_retardTicks = 0;
  int m_polarityGlitchTicks = 0;
};

// Cuts the received bytes into 52-byte frames, as firmware with an inter-byte time-out does:
// a pause of more than `gapMs` inside a frame drops the partial frame.
class FrameAssembler {
 public:
  explicit FrameAssembler(long long gapMs) : m_gapMs(gapMs) {}
  // Bytes that arrived at `nowMs`; returns the frames they complete, in order.
  std::vector<std::array<std::uint8_t, kFrameBytes>> Feed(std::span<const std::uint8_t> bytes,
                                                          long long nowMs);
  // Drops a partial frame whose last byte is older than the gap.
  void Expire(long long nowMs);
  // When a partial frame will expire; -1 when nothing is pending.
  long long DeadlineMs() const;
  std::size_t pending() const { return m_pending.size(); }

 private:
  long long m_gapMs;
  long long m_lastByteMs = 0;
  std::vector<std::uint8_t> m_pending;
};

}  // namespace qm17::sim
