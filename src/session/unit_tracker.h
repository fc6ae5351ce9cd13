#pragma once
// What the unit is known to hold: its parameter block after an operation, the list of what it
// (or a file just opened) holds otherwise, and Compare, which reads the unit into a side image.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "device/link.h"
#include "params/device_image.h"

namespace qm17 {

using ParameterBytes = std::array<std::uint8_t, kBlockSize>;

ParameterBytes ParameterBlock(const DeviceImage& image);
DeviceImage WithParameterBlock(DeviceImage image, const ParameterBytes& block);

// Where the differences held for Device > Differences… came from.
enum class HeldSource : std::uint8_t { Unit, File };

// What is shown about a set that differs from the window's: "window → unit" or "window → file".
struct HeldDifferences {
  HeldSource source = HeldSource::Unit;
  DeviceImage window{};
  DeviceImage other{};
};

// How a Compare ended: the unit's block, or the outcome that says why there is none.
struct CompareEnd {
  std::optional<ParameterBytes> block;
  LinkOutcome outcome;
};

class UnitTracker {
 public:
  UnitTracker();
  ~UnitTracker();
  UnitTracker(const UnitTracker&) = delete;
  UnitTracker& operator=(const UnitTracker&) = delete;

  const std::optional<ParameterBytes>& Block() const { return m_block; }
  void SetBlock(const std::optional<ParameterBytes>& block) { m_block = block; }
  bool Differs(const DeviceImage& image) const {
    return m_block && *m_block != ParameterBlock(image);
  }

  // An operation of the user's began (Read, Verify, Program); a failure of it was told.
  void Began(Operation operation);
  void NoteFailure() { m_failed = true; }
  Operation Running() const { return m_running; }
  // The operation ended with `lastStep`: what the unit holds now, as far as it is known.
  std::optional<ParameterBytes> End(Operation lastStep, const DeviceImage& image,
                                    const std::optional<ParameterBytes>& lastRead);

  const std::optional<HeldDifferences>& Held() const { return m_held; }
  // `ticks` > 0: the list goes when they run out.
  void Hold(HeldDifferences held, int ticks);
  // The unit's list goes (it no longer says what the unit holds); true when there was one.
  bool ForgetUnitList();
  // True when a list ran out on this tick.
  bool TickHeld();

  bool Comparing() const { return m_comparison != nullptr; }
  // Live values still reach `liveTo`, so that the display stays live.
  void StartCompare(SerialLine& line, LinkView& liveTo);
  void StopCompare();
  // Ticks the Compare; its end once it has ended.
  std::optional<CompareEnd> TickCompare();

 private:
  struct Comparison;

  std::optional<ParameterBytes> m_block;
  Operation m_running = Operation::Idle;
  bool m_failed = false;
  std::optional<HeldDifferences> m_held;
  int m_heldTicks = 0;
  std::unique_ptr<Comparison> m_comparison;
};

}  // namespace qm17
