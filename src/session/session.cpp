#include "session/session.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <utility>

#include "files/atomic_file.h"
#include "files/config_paths.h"
#include "files/file_names.h"
#include "files/history.h"
#include "files/parameter_file.h"
#include "files/settings_store.h"
#include "files/side_file.h"
#include "session/port_failure_text.h"
#include "texts/texts.h"

namespace qm17 {
namespace {

constexpr const char* kKeyLeft = "Left";
constexpr const char* kKeyTop = "Top";
constexpr const char* kKeyHeight = "Height";
constexpr const char* kKeyWidth = "Width";
constexpr const char* kKeyComPort = "ComPort";
constexpr const char* kKeyLanguage = "Language";
constexpr const char* kKeyFile = "File";
constexpr const char* kKeyIniDir = "IniDir";
constexpr const char* kKeyInverse = "CheckBoxBlackZobr->Checked";
constexpr const char* kKeyAllPoints = "CheckBoxIgnAll->Checked";
// The curve window's keys live in a section of their own, which the window's keys ignore.
constexpr const char* kCurveSection = "CURVE_VIEW";
constexpr const char* kKeyCurveOpen = "Open";

// About once a second: soon enough for a mechanic replugging a cable, and one failed open a
// second costs nothing while the device is away.
constexpr int kReopenTicks = 18;

std::array<std::uint8_t, kBlockSize> ParameterBlock(const DeviceImage& image) {
  std::array<std::uint8_t, kBlockSize> block{};
  std::copy_n(image.begin() + image_byte::kParameterBlock, kBlockSize, block.begin());
  return block;
}

DeviceImage WithParameterBlock(DeviceImage image,
                               const std::array<std::uint8_t, kBlockSize>& block) {
  std::copy(block.begin(), block.end(), image.begin() + image_byte::kParameterBlock);
  return image;
}

}  // namespace

SessionPlaces DefaultSessionPlaces() {
  return {SettingsFilePath(),        ImageSideFilePath(),
          HistoryFolder(),           [] { return EnsureConfigDirectory(); },
          EarlierSettingsFilePath(), EarlierImageSideFilePath()};
}

// The view of the Compare operation: a Read of the unit into a side image. Nothing it shows
// reaches the window's set; live values still do, so that the display stays live.
struct Session::Comparison : LinkView {
  Comparison(Session& session, SerialLine& line) : owner(session), link(image, line, *this) {
    SetDefaultImage(image);
  }
  bool PrintLayout() const override { return false; }
  void ShowOutcome(const LinkOutcome& shown) override { outcome = shown; }
  void SetStatusVisible(bool) override {}
  void SetGaugeVisible(bool) override {}
  void SetGaugeProgress(int) override {}
  void SetNoConnectionVisible(bool) override {}
  void ShowLiveValues(const LiveValues& values) override { owner.ShowLiveValues(values); }
  void ShowCurrentPoint(const CurrentPoint&) override {}
  void NormaliseAndShowImage() override {}

  Session& owner;
  DeviceImage image{};
  LinkOutcome outcome;
  DeviceLink link;
};

Session::Session(SerialLine& line) : m_line(line) {}

Session::Session(SerialLine& line, SessionPlaces places)
    : m_line(line), m_places(std::move(places)) {}

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
  return m_unitBlock && *m_unitBlock != ParameterBlock(m_image);
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

// Start-up and shutdown.

void Session::Start(const std::vector<std::string>& arguments) {
  m_comPortNumber = 1;
  SetDefaultImage(m_image);
  LoadSettings();
  if (arguments.size() > 1) {
    const std::string& word = arguments[1];
    if (word == "ENGLISH") {
      m_languageIndex = 1;
    } else if (word == "CESKY") {
      m_languageIndex = 0;
    } else if (word == "DEUTSCH") {
      m_languageIndex = 2;
    }
  }
  NormaliseImage();
  Notify([](SessionObserver& o) { o.MessageTextsLoaded(); });
  ShowImage();
  OpenComPort();
  Notify([](SessionObserver& o) { o.ComPortChanged(); });
  Notify([](SessionObserver& o) { o.LanguageChanged(); });
  HideStatus();
  Notify([](SessionObserver& o) { o.DisplayStyleChanged(); });
}

void Session::LoadSettings() {
  const SessionPlaces places = Places();
  // On the first start a workshop's settings come from where an earlier installation kept
  // them; the next save goes to the program's own place.
  std::error_code missing;
  const bool firstStart = !places.earlierSettingsFile.empty() &&
                          !std::filesystem::exists(PathFromUtf8(places.settingsFile), missing);
  const std::string& settingsFile = firstStart ? places.earlierSettingsFile : places.settingsFile;
  const std::string& sideFile = firstStart ? places.earlierSideFile : places.sideFile;
  IniFile settings;
  settings.Load(settingsFile);  // a missing file reads as one without keys
  const char* section = kSettingsSection;
  WindowPlacement placement = m_placement;
  placement.left = settings.ReadInteger(section, kKeyLeft, placement.left);
  placement.top = settings.ReadInteger(section, kKeyTop, placement.top);
  placement.height = settings.ReadInteger(section, kKeyHeight, placement.height);
  placement.width = settings.ReadInteger(section, kKeyWidth, placement.width);
  Notify([&placement](SessionObserver& o) { o.PlacementLoaded(placement); });

  m_comPortNumber =
      static_cast<std::uint8_t>(settings.ReadInteger(section, kKeyComPort, m_comPortNumber));
  m_languageIndex =
      static_cast<std::uint8_t>(settings.ReadInteger(section, kKeyLanguage, m_languageIndex));
  // An earlier installation wrote its names in the system's code page.
  const auto name = [&](const char* key) {
    const std::string stored = settings.ReadString(section, key, {});
    return firstStart ? Utf8FromEarlierName(stored) : stored;
  };
  SetFileName(name(kKeyFile));
  m_lastFilePath = name(kKeyIniDir);
  m_inverseDisplay = settings.ReadInteger(section, kKeyInverse, m_inverseDisplay ? 1 : 0) != 0;
  m_allPoints = settings.ReadInteger(section, kKeyAllPoints, m_allPoints ? 1 : 0) != 0;

  if (const auto side = ReadRegularFile(sideFile)) ReadImageSideFile(*side, m_image);

  m_curveView.open = settings.ReadInteger(kCurveSection, kKeyCurveOpen, 0) != 0;
  const WindowPlacement where{settings.ReadInteger(kCurveSection, kKeyLeft, 0),
                              settings.ReadInteger(kCurveSection, kKeyTop, 0),
                              settings.ReadInteger(kCurveSection, kKeyWidth, 0),
                              settings.ReadInteger(kCurveSection, kKeyHeight, 0)};
  if (where.width > 0 && where.height > 0) m_curveView.where = where;
}

void Session::SaveSettings() {
  const SessionPlaces places = Places();
  // A folder that cannot be made or written: nothing is saved and nothing is said.
  if (places.ensureFolder && !places.ensureFolder()) return;
  IniFile settings;
  // Loading keeps the port mapping and whatever else the user wrote there. A file that is
  // there but cannot be read (too big, no read permission) is left as it is: writing a new
  // one would throw that away.
  std::error_code error;
  const bool keepFile = !settings.Load(places.settingsFile) &&
                        std::filesystem::exists(PathFromUtf8(places.settingsFile), error);
  if (!keepFile) {
    WriteSettingsKeys(settings);
    settings.Save(places.settingsFile);
  }
  WriteRegularFileAtomically(places.sideFile, WriteImageSideFile(m_image));
}

void Session::WriteSettingsKeys(IniFile& settings) const {
  const char* section = kSettingsSection;
  settings.WriteInteger(section, kKeyLeft, m_placement.left);
  settings.WriteInteger(section, kKeyTop, m_placement.top);
  settings.WriteInteger(section, kKeyHeight, m_placement.height);
  settings.WriteInteger(section, kKeyWidth, m_placement.width);
  settings.WriteInteger(section, kKeyComPort, m_comPortNumber);
  settings.WriteInteger(section, kKeyLanguage, m_languageIndex);
  settings.WriteString(section, kKeyFile, m_fileName);
  settings.WriteString(section, kKeyIniDir, m_lastFilePath);
  settings.WriteInteger(section, kKeyInverse, m_inverseDisplay ? 1 : 0);
  settings.WriteInteger(section, kKeyAllPoints, m_allPoints ? 1 : 0);
  // A curve window never opened in this run leaves what the file says about it.
  if (m_curveView.where) {
    settings.WriteInteger(kCurveSection, kKeyCurveOpen, m_curveView.open ? 1 : 0);
    settings.WriteInteger(kCurveSection, kKeyLeft, m_curveView.where->left);
    settings.WriteInteger(kCurveSection, kKeyTop, m_curveView.where->top);
    settings.WriteInteger(kCurveSection, kKeyWidth, m_curveView.where->width);
    settings.WriteInteger(kCurveSection, kKeyHeight, m_curveView.where->height);
  }
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

// The image and the controls.

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
  NormaliseImage();
  ShowImage();
}

void Session::SetFileName(const std::string& path) {
  m_fileName = path;
  Notify([](SessionObserver& o) { o.FileNameChanged(); });
}

void Session::HideStatus() {
  SetStatusVisible(false);
  SetGaugeVisible(false);
}

// Use cases.

void Session::New() {
  SetDefaultImage(m_image);
  ShowImage();
  HideStatus();
  SetFileName({});
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
  // Read into a copy, so that a file of the wrong version changes nothing at all.
  DeviceImage loaded = m_image;
  std::vector<FileAdjustment> adjustments;
  if (!ReadParameterFile(content, loaded, adjustments)) {
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

bool Session::Save(const std::string& path) {
  if (path.empty()) return false;
  // The file always holds a normalised set; when it cannot be written, nothing changes.
  const DeviceImage before = m_image;
  ReadControlsToImage();
  NormaliseImage();
  // Only a file, as for opening: a FIFO or a device would keep the window waiting.
  if (!WriteRegularFileAtomically(path, WriteParameterFile(m_image))) {
    m_image = before;
    const std::string text = MessageText(MsgOpenFileError);
    Notify([&text](SessionObserver& o) { o.ShowMessage(text); });
    return false;
  }
  ShowImage();
  SetFileName(path);
  m_lastFilePath = path;
  return true;
}

void Session::Read() {
  m_link.StartRead();
  // The parameters shown will come from the unit, no longer from the file.
  SetFileName({});
}

void Session::Verify() {
  ReadControlsToImage();
  NormaliseAndShowImage();
  m_link.StartVerify();
}

void Session::Program() {
  ReadControlsToImage();
  NormaliseAndShowImage();
  m_link.StartProgram(0);
}

void Session::Compare() {
  if (m_comparison || m_link.operation() != Operation::Idle) return;  // one at a time
  m_comparison = std::make_unique<Comparison>(*this, m_line);
  m_comparison->link.StartRead();
}

void Session::ShiftAdvances(bool up) {
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
  ReadControlsToImage();
  ApplyParameterChange();
}

void Session::ApplyParameterChange() {
  NormaliseAndShowImage();
  ProgramAfterChange();
}

void Session::ProgramAfterChange() {
  m_link.ProgramAfterChange(m_programAfterChange);
}

void Session::SetPolarity(int item) {
  if (item < 0 || item >= kPolarityItemCount) return;
  m_image[image_byte::kPolarity] = static_cast<std::uint8_t>(item);
  Notify([](SessionObserver& o) { o.UnitBlockChanged(); });
  ProgramAfterChange();
}

void Session::EditCurvePoint(int index, int speedByte, int advance) {
  if (index < 0 || index >= static_cast<int>(kPointCount)) return;
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
  Notify([](SessionObserver& o) { o.DisplayStyleChanged(); });
}

void Session::ProgramAfterChangeClicked(bool ticked) {
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
  Notify([](SessionObserver& o) { o.DisplayStyleChanged(); });
}

// The serial line.

void Session::SelectComPort(std::uint8_t number) {
  if (number >= 1 && number <= 10) m_comPortNumber = number;
  Notify([](SessionObserver& o) { o.ComPortChanged(); });
  // Also for the item already checked: picking it again re-opens a port whose device went
  // away and came back.
  CloseComPort();
  OpenComPort();
  SetUnitBlock(std::nullopt);  // another port may lead to another unit
}

bool Session::OpenComPort() {
  if (m_comPortNumber < 1 || m_comPortNumber > 10) return false;
  return OpenLine(ComDevice(m_comPortNumber));
}

bool Session::OpenLine(const std::string& device) {
  if (!device.empty() && m_line.Open(device)) {
    m_openedDevice = device;
    m_openedLineName = IdentifyLineName(device);  // while the line is there to be resolved
    m_lineLost = false;
    return true;
  }
  m_openedDevice.clear();
  const PortFailure failure = device.empty() ? PortFailure::NotPresent : m_line.LastFailure();
  const std::string text = PortOpenErrorText(CurrentLanguage(), device, failure);
  Notify([&text](SessionObserver& o) { o.ShowMessage(text); });
  return false;
}

void Session::CloseComPort() {
  m_lineLost = false;  // the user chose again, or the program ends
  m_line.Close();
}

std::string Session::ComDevice(int number) const {
  if (number < 1 || number > 10) return {};
  const std::string& assigned = m_assignedPorts[static_cast<std::size_t>(number - 1)];
  if (!assigned.empty()) return assigned;
  IniFile settings;
  settings.Load(Places().settingsFile);
  return ComPortDevicePath(number, settings);
}

void Session::AssignComDevice(int number, const std::string& device) {
  if (number < 1 || number > 10 || device.empty()) return;
  m_assignedPorts[static_cast<std::size_t>(number - 1)] = device;
  // Stored at once, so that the next start and qm17ctl find it. A settings file that is there
  // but cannot be read is left alone, as at exit; the choice then holds for this run.
  const SessionPlaces places = Places();
  if (!places.ensureFolder || places.ensureFolder()) {
    IniFile settings;
    std::error_code error;
    if (settings.Load(places.settingsFile) ||
        !std::filesystem::exists(PathFromUtf8(places.settingsFile), error)) {
      settings.WriteString(kPortsSection, "COM" + std::to_string(number), device);
      settings.Save(places.settingsFile);
    }
  }
  SelectComPort(static_cast<std::uint8_t>(number));
}

void Session::TickLostLine() {
  if (!m_lineLost) {
    if (!m_line.Vanished() || m_openedDevice.empty()) return;
    m_lineLost = true;
    m_reopenTicks = 0;
  }
  if (m_line.IsOpen()) {
    m_lineLost = false;
    return;
  }
  if (++m_reopenTicks < kReopenTicks) return;
  m_reopenTicks = 0;
  // A pseudo-terminal's name may by now belong to another program's terminal: never opened
  // again unless its link was made anew.
  if (!MayReopenLostLine(m_openedLineName, IdentifyLineName(m_openedDevice))) return;
  // Quietly: the user sees the no-connection label until the device answers again.
  if (!m_line.Open(m_openedDevice)) return;
  m_openedLineName = IdentifyLineName(m_openedDevice);
  m_lineLost = false;
}

// The tick.

void Session::Tick() {
  if (m_heldTicks > 0 && --m_heldTicks == 0) {
    m_held.reset();
    Notify([](SessionObserver& o) { o.DifferencesChanged(); });
  }
  if (m_pendingHistory && --m_pendingHistoryTicks <= 0) WritePendingHistory();
  TickLostLine();
  // An operation of the user's replaces a Compare still running.
  if (m_comparison && m_link.operation() != Operation::Idle) m_comparison.reset();
  if (TickComparison()) return;
  const Operation before = m_link.operation();
  m_link.Tick();
  NoteOperationOutcome(before);
}

bool Session::TickComparison() {
  if (!m_comparison) return false;
  DeviceLink& link = m_comparison->link;
  link.Tick();
  if (link.operation() != Operation::Idle) return true;
  const std::unique_ptr<Comparison> done = std::move(m_comparison);
  if (!link.LastUnitBlock()) {
    const LinkOutcome outcome = done->outcome;
    // A version mismatch has its own message; anything else is a Read that got no block.
    if (outcome.reason == FailureReason::VersionMismatch) {
      ShowOutcome(outcome);
      return true;
    }
    ShowOutcome({Operation::Read, LinkResult::Failed, FailureReason::NoAnswer});
    // The Compare never showed the status line: without this the failure went unseen.
    SetStatusVisible(true);
    m_link.RestartMessageCountdown();
    return true;
  }
  const HeldDifferences held{HeldSource::Unit, m_image,
                             WithParameterBlock(m_image, *link.LastUnitBlock())};
  SetUnitBlock(*link.LastUnitBlock());
  const std::string text = DifferencesText(held);
  if (!CompareParameterBlocks(held.window, held.other).empty()) {
    m_held = held;
    m_heldTicks = 0;
    Notify([](SessionObserver& o) { o.DifferencesChanged(); });
  } else {
    ForgetUnitDifferences();
  }
  Notify([&text](SessionObserver& o) { o.ShowMessage(text); });
  return true;
}

void Session::Hold(HeldDifferences held, int ticks) {
  m_held = std::move(held);
  m_heldTicks = ticks;
  Notify([](SessionObserver& o) { o.DifferencesChanged(); });
  // One line in the status bar; the whole list stays a menu item away.
  std::string line = DifferencesText(*m_held);
  if (const std::size_t heading = line.find('\n'); heading != std::string::npos)
    line[heading] = ' ';
  for (std::size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n', at))
    line.replace(at, 1, "; ");
  if (m_held->source == HeldSource::File)
    line += std::string(" ") + ExtraText(CurrentLanguage(), TextDifferencesHint);
  Notify([&line, ticks](SessionObserver& o) { o.ShowNote(line, ticks); });
}

void Session::SetUnitBlock(const std::optional<std::array<std::uint8_t, kBlockSize>>& block) {
  m_unitBlock = block;
  Notify([](SessionObserver& o) { o.UnitBlockChanged(); });
}

void Session::NoteOperationOutcome(Operation before) {
  if (before == Operation::Idle || m_link.operation() != Operation::Idle) return;
  if (m_status.failure) {
    SetUnitBlock(std::nullopt);
  } else if (before == Operation::Verify) {
    // Read, Program and Verify all end with a read of the unit's block that equalled ours.
    SetUnitBlock(ParameterBlock(m_image));
  }
}

void Session::NoteUnitAnswer(const LinkOutcome& outcome) {
  if (outcome.result == LinkResult::Started) m_startedOperation = outcome.operation;
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
  if (!m_held || m_held->source != HeldSource::Unit) return;
  m_held.reset();
  Notify([](SessionObserver& o) { o.DifferencesChanged(); });
}

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
  WritePendingHistory();  // an earlier one still waiting goes as it is
  m_pendingHistory = std::move(entry);
  m_pendingHistoryTicks = timing::kSilentTicks;
}

void Session::WritePendingHistory() {
  if (!m_pendingHistory) return;
  const HistoryEntry entry = std::move(*m_pendingHistory);
  m_pendingHistory.reset();
  const std::string folder = Places().historyFolder;
  if (KeepInHistory(folder, entry, std::chrono::system_clock::now()).empty()) {
    // The operation itself went well: said in passing, not in a box.
    const std::string text =
        std::string(ExtraText(CurrentLanguage(), TextHistoryNotKept)) + ' ' + folder;
    Notify([&text](SessionObserver& o) { o.ShowNote(text, 0); });
    Notify([&text](SessionObserver& o) { o.HistoryNotKept(text); });
  }
}

// What the link shows.

void Session::ShowOutcome(const LinkOutcome& outcome) {
  m_lastOutcome = outcome;
  NoteUnitAnswer(outcome);
  const OutcomeDisplay shown = DisplayForOutcome(outcome, CurrentLanguage());
  if (shown.status) SetStatus(*shown.status, shown.failure);
  if (shown.showStatus) SetStatusVisible(true);
  if (shown.gauge != GaugeChange::Keep) SetGaugeVisible(shown.gauge == GaugeChange::Show);
  if (shown.message) {
    const std::string text = *shown.message;
    Notify([&text](SessionObserver& o) { o.ShowMessage(text); });
  }
}

void Session::SetStatus(const std::string& text, bool failure) {
  m_status = {text, failure};
  Notify([](SessionObserver& o) { o.StatusTextChanged(); });
}

void Session::SetStatusVisible(bool visible) {
  Notify([visible](SessionObserver& o) { o.StatusVisibleChanged(visible); });
}

void Session::SetGaugeVisible(bool visible) {
  Notify([visible](SessionObserver& o) { o.GaugeVisibleChanged(visible); });
}

void Session::SetGaugeProgress(int progress) {
  Notify([progress](SessionObserver& o) { o.GaugeProgressChanged(progress); });
}

void Session::SetNoConnectionVisible(bool visible) {
  Notify([visible](SessionObserver& o) { o.NoConnectionChanged(visible); });
}

void Session::ShowLiveValues(const LiveValues& values) {
  if (m_pendingHistory && m_link.operation() == Operation::Idle) {
    m_pendingHistory->programCount = values.programCount;
    WritePendingHistory();
  }
  Notify([&values](SessionObserver& o) { o.LiveValuesChanged(values); });
}

void Session::ShowCurrentPoint(const CurrentPoint& point) {
  Notify([&point](SessionObserver& o) { o.CurrentPointChanged(point); });
}

}  // namespace qm17
