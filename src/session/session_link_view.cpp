// What the device link shows, as the session holds it for its views.

#include "session/session.h"

namespace qm17 {

void Session::ShowOutcome(const LinkOutcome& outcome) {
  m_lastOutcome = outcome;
  NoteUnitAnswer(outcome);
  const OutcomeDisplay shown = DisplayForOutcome(outcome, CurrentLanguage());
  if (shown.status) SetStatus(*shown.status, shown.failure, shown.detail);
  if (shown.showStatus) SetStatusVisible(true);
  if (shown.status && !shown.detail.empty()) {
    // The second line stays as long as the caption above it.
    const std::string& detail = shown.detail;
    Notify([&detail](SessionObserver& o) { o.ShowNote(detail, timing::kMessageTicks); });
  }
  if (shown.gauge != GaugeChange::Keep) SetGaugeVisible(shown.gauge == GaugeChange::Show);
  if (shown.message) {
    const std::string text = *shown.message;
    Notify([&text](SessionObserver& o) { o.ShowMessage(text); });
  }
}

void Session::SetStatus(const std::string& text, bool failure, const std::string& detail) {
  m_presentation.SetStatus({text, failure, detail});
  Notify([](SessionObserver& o) { o.StatusTextChanged(); });
}

void Session::SetStatusVisible(bool visible) {
  // Told even when unchanged: the print layout shows and hides the label on its own.
  m_presentation.SetStatusVisible(visible);
  Notify([visible](SessionObserver& o) { o.StatusVisibleChanged(visible); });
}

void Session::SetGaugeVisible(bool visible) {
  m_presentation.SetGaugeVisible(visible);
  Notify([visible](SessionObserver& o) { o.GaugeVisibleChanged(visible); });
}

void Session::SetGaugeProgress(int progress) {
  m_presentation.SetGaugeProgress(progress);
  Notify([progress](SessionObserver& o) { o.GaugeProgressChanged(progress); });
}

void Session::SetNoConnectionVisible(bool visible) {
  // The link says it every tick; views hear of a change only.
  if (m_presentation.SetNoConnectionVisible(visible))
    Notify([visible](SessionObserver& o) { o.NoConnectionChanged(visible); });
}

void Session::ShowLiveValues(const LiveValues& values) {
  if (m_history.Pending() && m_link.operation() == Operation::Idle) {
    m_history.SetProgramCount(values.programCount);
    WritePendingHistory();
  }
  m_presentation.ShowFrame(values, CurrentLanguage(), m_image[image_byte::kLimiter]);
  Notify([&values](SessionObserver& o) { o.LiveValuesChanged(values); });
}

void Session::ShowCurrentPoint(const CurrentPoint& point) {
  Notify([&point](SessionObserver& o) { o.CurrentPointChanged(point); });
}

void Session::HideStatus() {
  SetStatusVisible(false);
  SetGaugeVisible(false);
}

}  // namespace qm17
