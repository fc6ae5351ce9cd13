#include "session/unit_tracker.h"

#include <algorithm>
#include <utility>

namespace qm17 {

ParameterBytes ParameterBlock(const DeviceImage& image) {
  ParameterBytes block{};
  std::copy_n(image.begin() + image_byte::kParameterBlock, kBlockSize, block.begin());
  return block;
}

DeviceImage WithParameterBlock(DeviceImage image, const ParameterBytes& block) {
  std::copy(block.begin(), block.end(), image.begin() + image_byte::kParameterBlock);
  return image;
}

// The view of the Compare operation: a Read of the unit into a side image. Nothing it shows
// reaches the window's set.
struct UnitTracker::Comparison : LinkView {
  Comparison(SerialLine& line, LinkView& liveTo) : live(liveTo), link(image, line, *this) {
    SetDefaultImage(image);
  }
  bool PrintLayout() const override { return false; }
  void ShowOutcome(const LinkOutcome& shown) override { outcome = shown; }
  void SetStatusVisible(bool) override {}
  void SetGaugeVisible(bool) override {}
  void SetGaugeProgress(int) override {}
  void SetNoConnectionVisible(bool) override {}
  void ShowLiveValues(const LiveValues& values) override { live.ShowLiveValues(values); }
  void ShowCurrentPoint(const CurrentPoint&) override {}
  void NormaliseAndShowImage() override {}

  LinkView& live;
  DeviceImage image{};
  LinkOutcome outcome;
  DeviceLink link;
};

UnitTracker::UnitTracker() = default;
UnitTracker::~UnitTracker() = default;

void UnitTracker::Began(Operation operation) {
  m_running = operation;
  m_failed = false;
}

std::optional<ParameterBytes> UnitTracker::End(Operation lastStep, const DeviceImage& image,
                                               const std::optional<ParameterBytes>& lastRead) {
  const Operation ended = std::exchange(m_running, Operation::Idle);
  // Read, Program and Verify all end with a read of the unit's block that equalled ours.
  if (!m_failed) return lastStep == Operation::Verify ? ParameterBlock(image) : m_block;
  // A block read before the failure is what the unit holds; a Read or a Verify that got none
  // changed nothing in the unit, so what was known still holds.
  if (lastRead) return lastRead;
  if (ended == Operation::Read || ended == Operation::Verify) return m_block;
  return std::nullopt;
}

void UnitTracker::Hold(HeldDifferences held, int ticks) {
  m_held = std::move(held);
  m_heldTicks = ticks;
}

bool UnitTracker::ForgetUnitList() {
  if (!m_held || m_held->source != HeldSource::Unit) return false;
  m_held.reset();
  return true;
}

bool UnitTracker::TickHeld() {
  if (m_heldTicks <= 0 || --m_heldTicks > 0) return false;
  m_held.reset();
  return true;
}

void UnitTracker::StartCompare(SerialLine& line, LinkView& liveTo) {
  m_comparison = std::make_unique<Comparison>(line, liveTo);
  m_comparison->link.StartRead();
}

void UnitTracker::StopCompare() {
  m_comparison.reset();
}

std::optional<CompareEnd> UnitTracker::TickCompare() {
  DeviceLink& link = m_comparison->link;
  link.Tick();
  if (link.operation() != Operation::Idle) return std::nullopt;
  const std::unique_ptr<Comparison> done = std::move(m_comparison);
  return CompareEnd{link.LastUnitBlock(), done->outcome};
}

}  // namespace qm17
