// The run's frame: start-up and shutdown with the settings, the serial line, the tick, what the
// unit is known to hold, and the parameter history.

#include <string>
#include <utility>

#include "files/config_paths.h"
#include "files/parameter_file.h"
#include "files/side_file.h"
#include "session/port_failure_text.h"
#include "session/session.h"
#include "texts/texts.h"

namespace qm17 {
namespace {

// The set's note beside the saved image, in a section of its own that the window's keys ignore.
constexpr const char* kNoteSection = "SET_NOTE";
constexpr const char* kNoteKey = "Text";

}  // namespace

void Session::Start(const std::vector<std::string>& arguments) {
  m_comPortNumber = 1;
  SetDefaultImage(m_image);
  LoadSettings();
  if (arguments.size() > 1) {
    if (const std::optional<Language> language = LanguageFromWord(arguments[1]))
      m_languageIndex = static_cast<std::uint8_t>(*language);
  }
  NormaliseImage();
  Notify([](SessionObserver& o) { o.MessageTextsLoaded(); });
  ShowImage();
  SyncSetState();  // the saved set is where undo stops
  m_undo = UndoSteps{};
  OpenComPort();
  Notify([](SessionObserver& o) { o.ComPortChanged(); });
  Notify([](SessionObserver& o) { o.LanguageChanged(); });
  HideStatus();
  m_presentation.SetStyle(m_inverseDisplay, m_printLayout);
  Notify([](SessionObserver& o) { o.DisplayStyleChanged(); });
}

SessionSettings Session::CurrentSettings() const {
  return {m_placement,    m_comPortNumber,  m_languageIndex, m_fileName,
          m_lastFilePath, m_inverseDisplay, m_allPoints,     m_curveView};
}

void Session::LoadSettings() {
  // Read once: the Com devices are kept from this reading too.
  const StoredSettings stored = m_store->Load();
  SessionSettings settings = CurrentSettings();
  DecodeSettings(stored.settings, stored.earlier, settings);
  Notify([&settings](SessionObserver& o) { o.PlacementLoaded(settings.placement); });
  m_comPortNumber = settings.comPortNumber;
  m_languageIndex = settings.languageIndex;
  SetFileName(settings.fileName);
  m_lastFilePath = settings.lastFilePath;
  m_inverseDisplay = settings.inverseDisplay;
  m_allPoints = settings.allPoints;
  if (stored.side) ReadImageSideFile(*stored.side, m_image);
  // The note goes with the saved image: a Save after the next start must not lose it.
  SetNote(NoteFromWord(stored.settings.ReadString(kNoteSection, kNoteKey, {})));
  m_curveView = settings.curveView;
  m_ports.TakeDevices(stored.settings);
}

void Session::SaveSettings() {
  const SessionSettings settings = CurrentSettings();
  const std::string note = NoteAsWord(m_note);
  m_store->Write(
      [&settings, &note](IniFile& ini) {
        EncodeSettings(settings, ini);
        // Without a note the settings stay as they always were.
        if (!note.empty() || !ini.ReadString(kNoteSection, kNoteKey, {}).empty())
          ini.WriteString(kNoteSection, kNoteKey, note);
      },
      WriteImageSideFile(m_image));
}

void Session::Shutdown() {
  CloseComPort();
  CommitData();
}

void Session::CommitData() {
  WritePendingHistory();
  ReadControlsToImage();
  NormaliseImage();
  SaveSettings();
}

// The serial line.

void Session::SelectComPort(std::uint8_t number) {
  if (ComPort::FromNumber(number)) m_comPortNumber = number;
  Notify([](SessionObserver& o) { o.ComPortChanged(); });
  // Also for the item already checked: picking it again re-opens a port whose device went
  // away and came back.
  CloseComPort();
  OpenComPort();
  SetUnitBlock(std::nullopt);  // another port may lead to another unit
}

bool Session::OpenComPort() {
  const std::optional<ComPort> port = ComPort::FromNumber(m_comPortNumber);
  return port && OpenLine(ComDevice(port->Number()));
}

bool Session::OpenLine(const std::string& device) {
  PortFailure failure = PortFailure::None;
  if (m_ports.Open(device, failure)) return true;
  const std::string text = PortOpenErrorText(CurrentLanguage(), device, failure);
  Notify([&text](SessionObserver& o) { o.ShowMessage(text); });
  return false;
}

void Session::CloseComPort() {
  m_ports.Close();
}

std::string Session::ComDevice(int number) const {
  const std::optional<ComPort> port = ComPort::FromNumber(number);
  return port ? m_ports.Device(*port) : std::string();
}

void Session::AssignComDevice(int number, const std::string& device) {
  const std::optional<ComPort> port = ComPort::FromNumber(number);
  if (!port || device.empty()) return;
  m_ports.Assign(*port, device);
  // Stored at once, so that the next start and qm17ctl find it. Settings that are there but
  // cannot be read are left alone, as at exit; the choice then holds for this run.
  m_store->Write(
      [&](IniFile& settings) {
        settings.WriteString(kPortsSection, "COM" + std::to_string(number), device);
      },
      std::nullopt);
  SelectComPort(static_cast<std::uint8_t>(number));
}

// The tick.

void Session::Tick() {
  if (m_unit.TickHeld()) Notify([](SessionObserver& o) { o.DifferencesChanged(); });
  if (m_history.TickExpired()) WritePendingHistory();
  m_ports.Tick();
  // An operation of the user's replaces a Compare still running.
  if (m_unit.Comparing() && m_link.operation() != Operation::Idle) m_unit.StopCompare();
  if (TickComparison()) return;
  const Operation before = m_link.operation();
  m_link.Tick();
  NoteOperationOutcome(before);
}

bool Session::TickComparison() {
  if (!m_unit.Comparing()) return false;
  const std::optional<CompareEnd> end = m_unit.TickCompare();
  if (!end) return true;
  if (!end->block) {
    const LinkOutcome& outcome = end->outcome;
    // A version mismatch has its own message; anything else is a Read that got no block.
    if (outcome.reason == FailureReason::VersionMismatch) {
      ShowOutcome(outcome);
      return true;
    }
    ShowOutcome(outcome.result == LinkResult::Failed
                    ? outcome
                    : LinkOutcome{Operation::Read, LinkResult::Failed, FailureReason::NoAnswer});
    // The Compare never showed the status line: without this the failure went unseen.
    SetStatusVisible(true);
    m_link.RestartMessageCountdown();
    return true;
  }
  const HeldDifferences held{HeldSource::Unit, m_image, WithParameterBlock(m_image, *end->block)};
  SetUnitBlock(*end->block);
  const std::string text = DifferencesText(held);
  if (!CompareParameterBlocks(held.window, held.other).empty()) {
    m_unit.Hold(held, 0);
    Notify([](SessionObserver& o) { o.DifferencesChanged(); });
  } else {
    ForgetUnitDifferences();
  }
  Notify([&text](SessionObserver& o) { o.ShowMessage(text); });
  return true;
}

// What the unit holds.

void Session::Hold(HeldDifferences held, int ticks) {
  m_unit.Hold(std::move(held), ticks);
  Notify([](SessionObserver& o) { o.DifferencesChanged(); });
  // One line in the status bar; the whole list stays a menu item away.
  const HeldDifferences& shown = *m_unit.Held();
  std::string line = DifferencesText(shown);
  if (const std::size_t heading = line.find('\n'); heading != std::string::npos)
    line[heading] = ' ';
  for (std::size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n', at))
    line.replace(at, 1, "; ");
  if (shown.source == HeldSource::File)
    line += std::string(" ") + ExtraText(CurrentLanguage(), TextDifferencesHint);
  Notify([&line, ticks](SessionObserver& o) { o.ShowNote(line, ticks); });
}

void Session::SetUnitBlock(const std::optional<ParameterBytes>& block) {
  m_unit.SetBlock(block);
  Notify([](SessionObserver& o) { o.UnitBlockChanged(); });
}

void Session::NoteOperationOutcome(Operation before) {
  if (before == Operation::Idle || m_link.operation() != Operation::Idle) return;
  SetUnitBlock(m_unit.End(before, m_image, m_link.LastUnitBlock()));
}

void Session::NoteUnitAnswer(const LinkOutcome& outcome) {
  if (outcome.result == LinkResult::Started) m_startedOperation = outcome.operation;
  if (outcome.result == LinkResult::Failed) m_unit.NoteFailure();
  if (outcome.result == LinkResult::Succeeded &&
      (m_startedOperation == Operation::Read || m_startedOperation == Operation::Program))
    KeepSetInHistory(std::exchange(m_startedOperation, Operation::Idle));
  // The unit holds the window's set now: an older list of what it held otherwise is stale.
  if (outcome.result == LinkResult::Succeeded) ForgetUnitDifferences();
  if (outcome.result != LinkResult::Failed || outcome.reason != FailureReason::BlockDiffers ||
      !m_link.LastUnitBlock())
    return;
  Hold({HeldSource::Unit, m_image, WithParameterBlock(m_image, *m_link.LastUnitBlock())}, 0);
}

void Session::ForgetUnitDifferences() {
  if (m_unit.ForgetUnitList()) Notify([](SessionObserver& o) { o.DifferencesChanged(); });
}

// The parameter history.

void Session::KeepSetInHistory(Operation operation) {
  const std::string folder = Places().historyFolder;
  if (!m_keepHistory || folder.empty()) return;
  HistoryEntry entry;
  entry.operation = operation == Operation::Read ? "read" : "program";
  entry.image = m_image;
  entry.unitVersion = m_link.identification().version;
  entry.unitDate = m_link.identification().date;
  entry.unitTime = m_link.identification().time;
  entry.file = operation == Operation::Program ? m_fileName : m_readFileName;
  entry.note = m_note;
  // An earlier one still waiting goes as it is.
  if (const auto notKept = m_history.Hold(folder, std::move(entry), timing::kSilentTicks))
    SayHistoryNotKept(*notKept);
}

void Session::WritePendingHistory() {
  if (const std::optional<std::string> notKept = m_history.Write()) SayHistoryNotKept(*notKept);
}

void Session::SayHistoryNotKept(const std::string& folder) {
  // The operation itself went well: said in passing, not in a box.
  const std::string text =
      std::string(ExtraText(CurrentLanguage(), TextHistoryNotKept)) + ' ' + folder;
  Notify([&text](SessionObserver& o) { o.ShowNote(text, 0); });
  Notify([&text](SessionObserver& o) { o.HistoryNotKept(text); });
}

}  // namespace qm17
