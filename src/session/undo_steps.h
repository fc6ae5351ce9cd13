#pragma once
// The way back: each change to the window's set is a step that undo takes back and redo
// brings again. A step keeps the whole set as it stood, so any use case can be a step without
// knowing how to reverse itself.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "params/device_image.h"

namespace qm17 {

// What a step changed, for the status line; in the order of the undo texts.
enum class SetChange : std::uint8_t {
  Edit,
  Shift,
  CurvePoint,
  Polarity,
  New,
  Open,
  Read,
  HistoryEntry,
  Note,
};

// What undo brings back: the parameters, the note and the file name shown beside them.
struct SetState {
  std::array<std::uint8_t, kBlockSize> block{};
  std::string note;
  std::string fileName;
  bool operator==(const SetState&) const = default;
};

class UndoSteps {
 public:
  // More than a day's tuning of one bike; the oldest step goes first.
  static constexpr std::size_t kMaxSteps = 200;

  struct Step {
    SetChange change = SetChange::Edit;
    SetState state;
  };

  // The set was changed from `before`; the redo steps go, as in every editor.
  void Record(SetChange change, SetState before);
  // The state to bring back and what its step changed; `current` becomes the redo step.
  std::optional<Step> Undo(SetState current);
  std::optional<Step> Redo(SetState current);
  bool CanUndo() const { return !m_undo.empty(); }
  bool CanRedo() const { return !m_redo.empty(); }
  std::size_t UndoCount() const { return m_undo.size(); }

 private:
  std::deque<Step> m_undo;
  std::deque<Step> m_redo;
};

}  // namespace qm17
