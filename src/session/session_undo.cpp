// Undo and redo of the window's set: which use case is a step, and stepping back and forth.

#include <algorithm>
#include <string>

#include "session/session.h"
#include "texts/undo_texts.h"

namespace qm17 {

Session::SetChangeScope::SetChangeScope(Session& session, SetChange change, bool replacesSet)
    : m_session(session), m_change(change), m_outermost(session.m_setChangeDepth++ == 0) {
  if (!m_outermost) return;
  if (!m_session.m_shownState) m_session.m_shownState = m_session.CurrentSetState();
  if (replacesSet) m_typed = m_session.TypedSetState();
}

Session::SetChangeScope::~SetChangeScope() {
  --m_session.m_setChangeDepth;
  if (!m_outermost) return;
  if (m_cancelled) {
    m_session.SyncSetState();
    return;
  }
  m_session.RecordSetChange(m_change, m_typed);
}

SetState Session::CurrentSetState() const {
  SetState state;
  std::copy_n(m_image.begin() + image_byte::kParameterBlock, kBlockSize, state.block.begin());
  state.note = m_note;
  state.fileName = m_fileName;
  return state;
}

SetState Session::TypedSetState() const {
  if (!m_panel) return CurrentSetState();
  DeviceImage typed = m_image;
  IgnitionParameters params = ParametersFromImage(typed);
  m_panel->ReadControls(params);
  ParametersToImage(params, typed);
  std::uint8_t language = m_languageIndex;  // the boxes cannot change these two
  std::uint8_t port = m_comPortNumber;
  qm17::NormaliseImage(typed, language, port);
  SetState state = CurrentSetState();
  std::copy_n(typed.begin() + image_byte::kParameterBlock, kBlockSize, state.block.begin());
  return state;
}

void Session::SyncSetState() {
  m_shownState = CurrentSetState();
}

void Session::RecordSetChange(SetChange change, const std::optional<SetState>& typed) {
  SetState before = m_shownState.value_or(CurrentSetState());
  SetState now = CurrentSetState();
  const std::size_t steps = m_undo.UndoCount();
  // Typing the set replaced comes back as a step of its own, before the replacing one.
  if (typed && *typed != before && *typed != now) {
    m_undo.Record(SetChange::Edit, before);
    before = *typed;
  }
  const bool changed = now != before;
  if (changed) m_undo.Record(change, std::move(before));
  m_shownState = std::move(now);
  if (changed || m_undo.UndoCount() != steps) Notify([](SessionObserver& o) { o.UndoChanged(); });
}

void Session::Undo() {
  StepThrough(true);
}

void Session::Redo() {
  StepThrough(false);
}

void Session::StepThrough(bool back) {
  if (m_setChangeDepth != 0) return;
  const std::optional<UndoSteps::Step> step =
      back ? m_undo.Undo(CurrentSetState()) : m_undo.Redo(CurrentSetState());
  const Language language = CurrentLanguage();
  if (!step) {
    const std::string text = UndoText(language, back ? UndoNothingLeft : RedoNothingLeft);
    Notify([&text](SessionObserver& o) { o.ShowNote(text, timing::kMessageTicks); });
    return;
  }
  // The set comes back as it was; it is shown, never programmed.
  std::copy(step->state.block.begin(), step->state.block.end(),
            m_image.begin() + image_byte::kParameterBlock);
  ShowImage();
  if (m_fileName != step->state.fileName) SetFileName(step->state.fileName);
  if (m_note != step->state.note) {
    m_note = step->state.note;
    Notify([](SessionObserver& o) { o.NoteChanged(); });
  }
  SyncSetState();
  std::string text = UndoText(language, back ? UndoDone : RedoDone);
  const std::string what = UndoText(language, UndoChangeEdit + static_cast<int>(step->change));
  if (const std::size_t at = text.find("%1"); at != std::string::npos) text.replace(at, 2, what);
  text += ' ';
  text += UndoText(language, UndoNotSent);
  Notify([&text](SessionObserver& o) { o.ShowNote(text, timing::kMessageTicks); });
  Notify([](SessionObserver& o) { o.UndoChanged(); });
}

OpenResult Session::OpenHistoryEntry(const std::string& path) {
  m_openChange = SetChange::HistoryEntry;
  const OpenResult result = Open(path);
  m_openChange = SetChange::Open;
  return result;
}

}  // namespace qm17
