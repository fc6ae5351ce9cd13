// Fuzz target for the simulated unit, which reads whatever the program (or anything else on
// the terminal) writes: bytes cut into frames at arbitrary moments, each frame answered.
// Input: an option byte (fault switches), then chunks of a length byte, a time step and bytes.
// Rules: frames come out whole and nothing is lost or invented in the cutting; a unit without
// faults answers a frame with one well-formed 52-byte frame or not at all; its identification
// block never changes and a written parameter block is what it then holds.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "sim_unit.h"

namespace {

using qm17::sim::kFrameBytes;

bool CheckByteGood(std::span<const std::uint8_t> frame) {
  std::uint8_t sum = 0xFF;
  for (const std::uint8_t byte : frame) sum ^= byte;
  return sum == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qm17::sim;
  qm17::fuzz::ByteScript script(data, size);
  const std::uint8_t switches = script.Next();
  Options options;
  options.seed = switches;
  const bool faulty = (switches & 0x80) != 0;
  if (faulty) {
    options.dropProbability = (switches & 1) ? 0.3 : 0.0;
    options.corruptProbability = (switches & 2) ? 0.3 : 0.0;
    options.junkProbability = (switches & 4) ? 0.3 : 0.0;
    options.wrongAnswer = (switches & 8) != 0;
    options.clamp = (switches & 16) != 0;
    options.compatibilityCode = static_cast<std::uint8_t>(switches * 3);
  }
  if ((switches & 0x40) != 0) options.identText = "Fuzzed unit \x8A\x9E";

  SimUnit unit(options);
  const Memory identification = unit.memory();
  FrameAssembler assembler(20);
  long long now = 0;
  std::size_t pendingBefore = 0;
  while (!script.AtEnd()) {
    const std::size_t length = script.Next();
    now += script.Next();
    std::vector<std::uint8_t> bytes(length);
    for (auto& byte : bytes) byte = script.Next();

    const bool expired = assembler.DeadlineMs() >= 0 && now >= assembler.DeadlineMs();
    const auto frames = assembler.Feed(bytes, now);
    const std::size_t kept = expired ? 0 : pendingBefore;
    FUZZ_REQUIRE(frames.size() * kFrameBytes + assembler.pending() == kept + bytes.size());
    FUZZ_REQUIRE(assembler.pending() < kFrameBytes);
    pendingBefore = assembler.pending();

    for (const auto& frame : frames) {
      const auto answer = unit.Answer(frame);
      if (!faulty) {
        FUZZ_REQUIRE(answer.empty() || answer.size() == kFrameBytes);
        FUZZ_REQUIRE(answer.empty() || CheckByteGood(answer));
        if (!answer.empty()) {
          FUZZ_REQUIRE(answer[0] == (frame[0] == 0x30 ? 0xB0 : (frame[0] ^ 0x80)));
        }
        if (!answer.empty() && frame[0] == 0x01) {
          FUZZ_REQUIRE(std::equal(frame.begin() + 1, frame.end() - 1, unit.memory().begin() + 50));
        }
      } else {
        FUZZ_REQUIRE(answer.size() <= kFrameBytes + 8);
      }
      FUZZ_REQUIRE(
          std::equal(identification.begin(), identification.begin() + 50, unit.memory().begin()));
    }
  }
  return 0;
}
