#include "session/session.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "files/atomic_file.h"
#include "files/parameter_file.h"
#include "texts/texts.h"

namespace qm17 {

Session::Session(SerialLine& line) : m_line(line) {
  // A command line that never starts the run still finds the Com devices of the settings.
  m_ports.SetDeviceSource([this] { return m_store->Load().settings; });
}

Session::Session(SerialLine& line, SessionPlaces places) : Session(line) {
  m_places = std::move(places);
}

SessionPlaces Session::Places() const {
  return m_places ? *m_places : DefaultSessionPlaces();
}

Session::~Session() {
  WritePendingHistory();
}

void Session::AddObserver(SessionObserver& observer) {
  if (std::find(m_observers.begin(), m_observers.end(), &observer) == m_observers.end())
    m_observers.push_back(&observer);
}

void Session::RemoveObserver(SessionObserver& observer) {
  std::erase(m_observers, &observer);
}

std::string Session::MessageText(int entry) const {
  return MessageTexts(CurrentLanguage(), entry);
}

bool Session::DiffersFromUnit() const {
  return m_unit.Differs(m_image);
}

std::string Session::DifferencesText(const HeldDifferences& held) const {
  const std::vector<Difference> differences = CompareParameterBlocks(held.window, held.other);
  if (differences.empty()) return ExtraText(CurrentLanguage(), TextSameSets);
  std::string text =
      ExtraText(CurrentLanguage(),
                held.source == HeldSource::Unit ? TextUnitHoldsOtherwise : TextFileHoldsOtherwise);
  const ChangeWording wording = ChangeWordingFor(CurrentLanguage());
  for (const Difference& difference : differences)
    text += '\n' + FormatDifference(wording, difference);
  return text;
}

void Session::ReadControlsToImage() {
  IgnitionParameters params = ParametersFromImage(m_image);
  // Without controls the set goes through their ranges all the same, as showing it and
  // reading it back would.
  if (m_panel) m_panel->ReadControls(params);
  ParametersToImage(params, m_image);
}

void Session::NormaliseImage() {
  qm17::NormaliseImage(m_image, m_languageIndex, m_comPortNumber);
}

void Session::ShowImage() {
  Notify([](SessionObserver& o) { o.ImageChanged(); });
  Notify([](SessionObserver& o) { o.UnitBlockChanged(); });
}

void Session::NormaliseAndShowImage() {
  // A Read's set arriving is a step of its own; what the link shows otherwise is none.
  const bool readArrives = m_unit.Running() == Operation::Read && m_setChangeDepth == 0;
  std::optional<SetChangeScope> step;
  if (readArrives) step.emplace(*this, SetChange::Read);
  NormaliseImage();
  ShowImage();
  // A Read's parameters have arrived: they come from the unit, no longer from the file. A Read
  // that fails before leaves the table and its file name as they were.
  if (m_unit.Running() == Operation::Read && !m_fileName.empty()) SetFileName({});
  if (m_unit.Running() == Operation::Read) SetNote({});  // the unit keeps no note
  if (readArrives) {
    RecordSetChange(SetChange::Read, std::exchange(m_readTyped, std::nullopt));
    step->Cancel();  // recorded above, with the boxes as the Read found them
  } else if (m_setChangeDepth == 0) {
    SyncSetState();
  }
}

void Session::SetFileName(const std::string& path) {
  m_fileName = path;
  Notify([](SessionObserver& o) { o.FileNameChanged(); });
}

void Session::New() {
  SetChangeScope step(*this, SetChange::New, true);
  SetDefaultImage(m_image);
  ShowImage();
  HideStatus();
  SetFileName({});
  SetNote({});
}

void Session::SetNote(const std::string& note) {
  const std::string clean = CleanNote(note);
  if (clean == m_note) return;
  SetChangeScope step(*this, SetChange::Note);
  m_note = clean;
  Notify([](SessionObserver& o) { o.NoteChanged(); });
}

OpenResult Session::Open(const std::string& path) {
  if (path.empty()) {
    HideStatus();
    return OpenResult::NotAsked;
  }
  // Only a regular file: a device or a pipe chosen under "All Files" would never end.
  const std::optional<std::string> content = ReadRegularFile(path);
  if (!content) {
    const std::string text = MessageText(MsgOpenFileError);
    Notify([&text](SessionObserver& o) { o.ShowMessage(text); });
    HideStatus();
    return OpenResult::CannotRead;
  }
  return OpenText(*content, path);
}

OpenResult Session::OpenText(const std::string& content, const std::string& path) {
  SetChangeScope step(*this, m_openChange, true);
  // Read into a copy, so that a file of the wrong version changes nothing at all.
  DeviceImage loaded = m_image;
  std::vector<FileAdjustment> adjustments;
  if (!ReadParameterFile(content, loaded, adjustments)) {
    step.Cancel();
    const std::string text = FileVersionMismatchText(CurrentLanguage());
    Notify([&text](SessionObserver& o) { o.ShowMessage(text); });
    HideStatus();
    return OpenResult::WrongVersion;
  }
  const DeviceImage before = m_image;
  m_image = loaded;
  NormaliseImage();
  ShowImage();
  SetFileName(path);
  SetNote(ReadParameterNote(content));
  m_lastFilePath = path;
  // The set is loaded as the file format says; what it holds unlike the file is told.
  if (!adjustments.empty()) {
    std::string text = ExtraText(CurrentLanguage(), TextFileAdjusted);
    const ChangeWording wording = ChangeWordingFor(CurrentLanguage());
    for (const FileAdjustment& adjustment : adjustments)
      text += '\n' + FormatFileAdjustment(wording, adjustment);
    Notify([&text](SessionObserver& o) { o.ShowMessage(text); });
  }
  // What the window held before stays a menu item away for as long as a status message stays.
  // Both sides as the controls show them: a value beyond its box is sent as the box's bound.
  const auto asShown = [](DeviceImage image) {
    ParametersToImage(ParametersFromImage(image), image);
    qm17::NormaliseImage(image);
    return image;
  };
  if (const DeviceImage window = asShown(before), file = asShown(m_image);
      ParameterBlock(window) != ParameterBlock(file))
    Hold({HeldSource::File, window, file}, timing::kMessageTicks);
  HideStatus();
  return OpenResult::Opened;
}

void Session::SetImage(const DeviceImage& image, const std::string& fileName) {
  SetChangeScope step(*this, SetChange::Open, true);
  m_image = image;
  ShowImage();
  SetFileName(fileName);
}

bool Session::Save(const std::string& path) {
  if (path.empty()) return false;
  // The file always holds a normalised set; when it cannot be written, nothing changes.
  const DeviceImage before = m_image;
  {
    SetChangeScope typing(*this, SetChange::Edit);
    ReadControlsToImage();
    NormaliseImage();
  }
  // Only a file, as for opening: a FIFO or a device would keep the window waiting.
  if (!WriteRegularFileAtomically(path, WriteParameterFile(m_image, m_note))) {
    m_image = before;
    SyncSetState();
    const std::string text = MessageText(MsgOpenFileError);
    Notify([&text](SessionObserver& o) { o.ShowMessage(text); });
    return false;
  }
  ShowImage();
  SetFileName(path);
  SyncSetState();  // saving names the set; it is no step to undo
  m_lastFilePath = path;
  return true;
}

void Session::Read() {
  if (!m_shownState) SyncSetState();
  m_readTyped = TypedSetState();
  m_unit.Began(Operation::Read);
  m_link.StartRead();
}

void Session::Verify() {
  SetChangeScope step(*this, SetChange::Edit);
  ReadControlsToImage();
  NormaliseAndShowImage();
  m_unit.Began(Operation::Verify);
  m_link.StartVerify();
}

void Session::Program() {
  SetChangeScope step(*this, SetChange::Edit);
  ReadControlsToImage();
  NormaliseAndShowImage();
  m_unit.Began(Operation::Program);
  m_link.StartProgram(0);
}

void Session::Compare() {
  if (m_unit.Comparing() || m_link.operation() != Operation::Idle) return;  // one at a time
  m_unit.StartCompare(m_line, *this);
}

void Session::ShiftAdvances(bool up) {
  SetChangeScope step(*this, SetChange::Shift);
  ReadControlsToImage();
  NormaliseImage();
  const auto shift = [this, up](std::size_t point) {
    std::uint8_t& advance = m_image[image_byte::kPointAdvance + point];
    if (up && advance < kPointAdvanceRange.max) ++advance;
    if (!up && advance > 0) --advance;
    NormaliseImage();
  };
  if (m_allPoints) {
    for (std::size_t i = 0; i < kPointCount; ++i) shift(i);
  } else if (const CurrentPoint point = m_link.currentPoint(); !point.noCurrentPoint) {
    if (point.index < kPointCount) shift(point.index);
  }
  ApplyParameterChange();
}

void Session::EditParameters() {
  SetChangeScope step(*this, SetChange::Edit);
  ReadControlsToImage();
  ApplyParameterChange();
}

void Session::ApplyParameterChange() {
  NormaliseAndShowImage();
  ProgramAfterChange();
}

void Session::ProgramAfterChange() {
  const bool idle = m_link.operation() == Operation::Idle;
  m_link.ProgramAfterChange(m_programAfterChange);
  if (idle && m_link.operation() != Operation::Idle) m_unit.Began(m_link.operation());
}

void Session::SetPolarity(int item) {
  if (item < 0 || item >= kPolarityItemCount) return;
  SetChangeScope step(*this, SetChange::Polarity);
  m_image[image_byte::kPolarity] = static_cast<std::uint8_t>(item);
  Notify([](SessionObserver& o) { o.UnitBlockChanged(); });
  ProgramAfterChange();
}

void Session::EditCurvePoint(int index, int speedByte, int advance) {
  if (index < 0 || index >= static_cast<int>(kPointCount)) return;
  SetChangeScope step(*this, SetChange::CurvePoint);
  // As the shift buttons do: any typing pending in the table is taken first, then the edit is
  // held to the rules again on what the table holds now.
  ReadControlsToImage();
  NormaliseImage();
  const PointEdit edit =
      BoundedPointEdit(m_image, static_cast<std::size_t>(index), speedByte, advance);
  m_image[image_byte::kPointSpeed + edit.index] = edit.speedByte;
  m_image[image_byte::kPointAdvance + edit.index] = edit.advance;
  ApplyParameterChange();
}

void Session::SetInverseDisplay(bool inverse) {
  m_inverseDisplay = inverse;
  m_presentation.SetStyle(m_inverseDisplay, m_printLayout);
  Notify([](SessionObserver& o) { o.DisplayStyleChanged(); });
}

void Session::ProgramAfterChangeClicked(bool ticked) {
  SetChangeScope step(*this, SetChange::Edit);
  m_programAfterChange = ticked;
  ReadControlsToImage();
  Notify([](SessionObserver& o) { o.DisplayStyleChanged(); });
  ApplyParameterChange();
}

void Session::SetLanguage(std::uint8_t languageIndex) {
  m_languageIndex = languageIndex;
  Notify([](SessionObserver& o) { o.LanguageChanged(); });
}

void Session::SetPrintLayout(bool printLayout) {
  m_printLayout = printLayout;
  m_presentation.SetStyle(m_inverseDisplay, m_printLayout);
  Notify([](SessionObserver& o) { o.DisplayStyleChanged(); });
}

}  // namespace qm17
