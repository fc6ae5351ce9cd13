#include "session/undo_steps.h"

#include <utility>

namespace qm17 {

void UndoSteps::Record(SetChange change, SetState before) {
  m_undo.push_back({change, std::move(before)});
  if (m_undo.size() > kMaxSteps) m_undo.pop_front();
  m_redo.clear();
}

std::optional<UndoSteps::Step> UndoSteps::Undo(SetState current) {
  if (m_undo.empty()) return std::nullopt;
  Step step = std::move(m_undo.back());
  m_undo.pop_back();
  m_redo.push_back({step.change, std::move(current)});
  return step;
}

std::optional<UndoSteps::Step> UndoSteps::Redo(SetState current) {
  if (m_redo.empty()) return std::nullopt;
  Step step = std::move(m_redo.back());
  m_redo.pop_back();
  m_undo.push_back({step.change, std::move(current)});
  return step;
}

}  // namespace qm17
