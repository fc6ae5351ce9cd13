#pragma once
// The run of the program: the parameter image, the settings kept beside it, the serial line and
// the device link, and every use case on them (New, Open, Save, Read / Verify / Program, the
// advance shifts, edits with programming after change, start-up and shutdown). The window and
// qm17ctl are views of it: they forward events and show what it holds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/link.h"
#include "device/serial_adapters.h"
#include "device/serial_port.h"
#include "files/history.h"
#include "params/device_image.h"
#include "params/differences.h"
#include "params/ignition_parameters.h"
#include "session/history_recorder.h"
#include "session/line_ports.h"
#include "session/outcome_display.h"
#include "session/presentation.h"
#include "session/settings_codec.h"
#include "session/settings_stores.h"
#include "session/undo_steps.h"
#include "session/unit_tracker.h"

namespace qm17 {

// The controls of a view that edits the set; the use cases read them where the program reads
// its controls into the image.
class ControlPanel {
 public:
  virtual ~ControlPanel() = default;
  // Overwrites what the controls hold; `params` arrives filled from the image.
  virtual void ReadControls(IgnitionParameters& params) const = 0;
};

// What a view hears. Every call has an empty default: a view takes only what it shows.
class SessionObserver {
 public:
  virtual ~SessionObserver() = default;
  // The image changed: show it in the controls (which ends with the display style).
  virtual void ImageChanged() {}
  // Inverse display, programming after change or the print layout changed.
  virtual void DisplayStyleChanged() {}
  virtual void LanguageChanged() {}
  // At start-up, before the image is first shown: the message texts of the language in force.
  virtual void MessageTextsLoaded() {}
  virtual void FileNameChanged() {}
  // The set's note changed.
  virtual void NoteChanged() {}
  // A step was added to or taken from undo or redo.
  virtual void UndoChanged() {}
  virtual void ComPortChanged() {}
  // The settings were read: the window's saved place applies now.
  virtual void PlacementLoaded(const WindowPlacement& placement) { (void)placement; }
  // The status label's caption and colour (the session keeps both: Status()).
  virtual void StatusTextChanged() {}
  virtual void StatusVisibleChanged(bool visible) { (void)visible; }
  virtual void GaugeVisibleChanged(bool visible) { (void)visible; }
  virtual void GaugeProgressChanged(int progress) { (void)progress; }
  virtual void NoConnectionChanged(bool visible) { (void)visible; }
  virtual void LiveValuesChanged(const LiveValues& values) { (void)values; }
  // At the end of every tick, changed or not.
  virtual void CurrentPointChanged(const CurrentPoint& point) { (void)point; }
  // What the unit is known to hold changed, or the window's set did against it.
  virtual void UnitBlockChanged() {}
  // A list of differences became available or went.
  virtual void DifferencesChanged() {}
  // A simple message box with an OK button.
  virtual void ShowMessage(const std::string& text) { (void)text; }
  // A line said in passing (the window's status bar); `ticks` long, 0 until replaced.
  virtual void ShowNote(const std::string& text, int ticks) {
    (void)text;
    (void)ticks;
  }
  // A set that a Read or Program ended well with could not be kept in the history; `text` (the
  // folder named) was also a note. For a view without a status bar.
  virtual void HistoryNotKept(const std::string& text) { (void)text; }
};

// How File > Open ended.
enum class OpenResult : std::uint8_t { NotAsked, Opened, CannotRead, WrongVersion };

class Session : private LinkView {
 public:
  // The places are taken anew at each use: the user's folders as the environment names them.
  explicit Session(SerialLine& line);
  Session(SerialLine& line, SessionPlaces places);
  ~Session() override;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void AddObserver(SessionObserver& observer);
  void RemoveObserver(SessionObserver& observer);
  // The view whose controls the use cases read; none (the command line) holds every value to
  // its control's range instead, as showing and reading back would.
  void SetControlPanel(const ControlPanel* panel) { m_panel = panel; }
  // Seams for tests and tools, set before Start: by default the user's files, the system's
  // clock, the system's names of lines and the adapters plugged in.
  void SetSettingsStore(SettingsStore& store) { m_store = &store; }
  void SetClock(Clock clock) { m_history.SetClock(std::move(clock)); }
  void SetLineNamer(LineNamer namer) { m_ports.SetLineNamer(std::move(namer)); }
  void SetAdapterLister(AdapterLister lister) { m_ports.SetAdapterLister(std::move(lister)); }
  std::vector<SerialAdapter> SerialAdapters() const { return m_ports.Adapters(); }

  // State.
  const DeviceImage& Image() const { return m_image; }
  std::uint8_t LanguageIndex() const { return m_languageIndex; }
  Language CurrentLanguage() const { return static_cast<Language>(m_languageIndex); }
  std::uint8_t ComPortNumber() const { return m_comPortNumber; }
  // The current parameter file, as the file system names it (bytes); empty for none.
  const std::string& FileName() const { return m_fileName; }
  // The set's note: Open loads it, Save writes it, New and a Read clear it, Program keeps it
  // in the history. Cleaned as a parameter file keeps it.
  const std::string& Note() const { return m_note; }
  void SetNote(const std::string& note);
  const std::string& LastFilePath() const { return m_lastFilePath; }
  bool InverseDisplay() const { return m_inverseDisplay; }
  bool AllPoints() const { return m_allPoints; }
  bool ProgramAfterChangeTicked() const { return m_programAfterChange; }
  bool PrintLayout() const override { return m_printLayout; }
  const StatusLine& Status() const { return m_presentation.Status(); }
  // What the views show beside the set: live display, status, gauge, no-connection label, style.
  const Presentation& Shown() const { return m_presentation; }
  // The side the link reports to, for a view or a test that plays the link's part.
  LinkView& LinkReports() { return *this; }
  // The link's counters and what it last heard, to look at: only the use cases change them.
  const DeviceLink& LinkState() const { return m_link; }
  SessionPlaces Places() const;
  const CurveViewPlacement& CurveView() const { return m_curveView; }
  void SetCurveView(const CurveViewPlacement& placement) { m_curveView = placement; }
  void SetWindowPlacement(const WindowPlacement& placement) { m_placement = placement; }
  // The unit's parameter block, known after a Read, Verify or Program that ended well.
  const std::optional<ParameterBytes>& UnitBlock() const { return m_unit.Block(); }
  // True while the unit is known to hold a set other than the window's.
  bool DiffersFromUnit() const;
  const std::optional<HeldDifferences>& Held() const { return m_unit.Held(); }
  // The heading and one line per value, or "same", in the current language.
  std::string DifferencesText(const HeldDifferences& held) const;
  // A message of the table in the current language.
  std::string MessageText(int entry) const;

  // Start-up: COM 1 and the default set, the settings and the saved image, the language word
  // ("ENGLISH", "CESKY", "DEUTSCH"), normalisation, the port; the status hidden.
  void Start(const std::vector<std::string>& arguments);
  // Shutdown: the port closed, the controls read and normalised, the settings and image saved.
  void Shutdown();
  // What shutdown saves, without closing anything (the desktop session ends).
  void CommitData();

  // Moving parameters between the controls and the image.
  void ReadControlsToImage();
  void NormaliseImage();
  // NormaliseImage, then the image shown again.
  void NormaliseAndShowImage() override;

  // Use cases.
  void New();  // the user has said Yes
  // Reads `path` into a copy: a file of another version changes nothing. An empty path only
  // hides the status and the gauge. Messages go to the observers.
  OpenResult Open(const std::string& path);
  OpenResult OpenText(const std::string& content, const std::string& path);
  // Takes `image` as the window's set as it stands, not normalised (a set a tool built), with
  // its file name.
  void SetImage(const DeviceImage& image, const std::string& fileName);
  // Writes the normalised set; false (and the message) when the file cannot be written.
  bool Save(const std::string& path);
  void Read();
  void Verify();
  void Program();
  // Opens a kept set of the history, as Open does; its undo step says so.
  OpenResult OpenHistoryEntry(const std::string& path);
  // Back and forth through the changes to the set. The unit is never programmed by a step:
  // the status line says what came back and that nothing was sent.
  void Undo();
  void Redo();
  bool CanUndo() const { return m_undo.CanUndo(); }
  bool CanRedo() const { return m_undo.CanRedo(); }
  // Reads the unit's block into a side image and lists it against the window's set.
  void Compare();
  void ShiftAdvances(bool up);
  // A value was edited (a box left, a spin click, Enter): read, normalise, show, and program
  // after change.
  void EditParameters();
  void ApplyParameterChange();
  void ProgramAfterChange();
  void SetPolarity(int item);
  void EditCurvePoint(int index, int speedByte, int advance);
  void SetInverseDisplay(bool inverse);
  void SetAllPoints(bool all) { m_allPoints = all; }
  void SetProgramAfterChange(bool ticked) { m_programAfterChange = ticked; }
  // The box was clicked: read the controls, show the style, and program after change.
  void ProgramAfterChangeClicked(bool ticked);
  void SetLanguage(std::uint8_t languageIndex);
  void SetLanguage(Language language) { SetLanguage(static_cast<std::uint8_t>(language)); }
  void SetPrintLayout(bool printLayout);
  void RestartMessageCountdown() { m_link.RestartMessageCountdown(); }
  void HideStatus();
  // The status label's caption and colour.
  void SetStatus(const std::string& text, bool failure, const std::string& detail = {});

  // The serial line.
  void SelectComPort(std::uint8_t number);  // also for the port already selected: reopens it
  bool OpenComPort();
  void CloseComPort();
  // The device Com `number` names now: an assignment of this run, else the settings as read
  // once (at start-up, or at the first lookup).
  std::string ComDevice(int number) const;
  // Assigns a device to Com `number`, stored at once, and selects it.
  void AssignComDevice(int number, const std::string& device);

  // The 55 ms tick.
  void Tick();
  // The parameter history: each Read and Program that ended well is kept, unless off.
  void SetKeepHistory(bool keep) { m_keepHistory = keep; }
  // A set to be kept waits for the unit's next monitor frame (at most 18 ticks), which gives its
  // programming count after the operation; polling pauses while an operation runs.
  bool HistoryPending() const { return m_history.Pending(); }
  // The name a Read's set is kept under in the history (the command line's output file).
  void SetReadFileName(const std::string& name) { m_readFileName = name; }
  // The outcome the link reported last (the command line's exit status).
  const std::optional<LinkOutcome>& LastOutcome() const { return m_lastOutcome; }
  // Opens `device` as the line, as OpenComPort does with Com n's device, for a view that names
  // the device itself (the command line); a lost line is tried again as for a Com port.
  bool OpenLine(const std::string& device);

 private:
  // LinkView.
  void ShowOutcome(const LinkOutcome& outcome) override;
  void SetStatusVisible(bool visible) override;
  void SetGaugeVisible(bool visible) override;
  void SetGaugeProgress(int progress) override;
  void SetNoConnectionVisible(bool visible) override;
  void ShowLiveValues(const LiveValues& values) override;
  void ShowCurrentPoint(const CurrentPoint& point) override;

  template <typename Call>
  void Notify(Call call) {
    // By index, not by iterator and without a copy: an observer may add or remove one while it
    // is told, and a tick allocates nothing.
    for (std::size_t i = 0; i < m_observers.size(); ++i) call(*m_observers[i]);
  }
  void ShowImage();
  void SetFileName(const std::string& path);
  void LoadSettings();
  void SaveSettings();
  SessionSettings CurrentSettings() const;
  void SetUnitBlock(const std::optional<ParameterBytes>& block);
  void NoteOperationOutcome(Operation before);
  void NoteUnitAnswer(const LinkOutcome& outcome);
  void KeepSetInHistory(Operation operation);
  void ForgetUnitDifferences();
  void WritePendingHistory();
  bool TickComparison();
  void Hold(HeldDifferences held, int ticks);
  void SayHistoryNotKept(const std::string& folder);

  // A use case that changes the set is one undo step; nested use cases belong to the outermost.
  // One that replaces the whole set (New, Open, Read) first keeps typing not yet taken from the
  // boxes as a step of its own, so that it can come back.
  class SetChangeScope {
   public:
    SetChangeScope(Session& session, SetChange change, bool replacesSet = false);
    ~SetChangeScope();
    SetChangeScope(const SetChangeScope&) = delete;
    SetChangeScope& operator=(const SetChangeScope&) = delete;
    void Cancel() { m_cancelled = true; }  // nothing changed after all

   private:
    Session& m_session;
    SetChange m_change;
    bool m_outermost;
    bool m_cancelled = false;
    std::optional<SetState> m_typed;
  };
  SetState CurrentSetState() const;
  SetState TypedSetState() const;  // with what the boxes hold
  void SyncSetState();             // takes the set as it stands, as no step
  void RecordSetChange(SetChange change, const std::optional<SetState>& typed);
  void StepThrough(bool back);

  SerialLine& m_line;
  std::optional<SessionPlaces> m_places;
  FileSettingsStore m_fileStore{[this] { return Places(); }};
  SettingsStore* m_store = &m_fileStore;
  std::vector<SessionObserver*> m_observers;
  const ControlPanel* m_panel = nullptr;

  DeviceImage m_image{};
  std::uint8_t m_languageIndex = 0;
  std::uint8_t m_comPortNumber = 0;
  std::string m_fileName;
  std::string m_note;
  std::string m_lastFilePath;
  bool m_inverseDisplay = false;
  bool m_allPoints = false;
  bool m_programAfterChange = false;
  bool m_printLayout = false;
  WindowPlacement m_placement;
  CurveViewPlacement m_curveView;
  Presentation m_presentation;
  DeviceLink m_link{m_image, m_line, *this};
  std::optional<LinkOutcome> m_lastOutcome;

  // What the unit holds.
  UnitTracker m_unit;
  Operation m_startedOperation = Operation::Idle;  // what the user started: Read, Program ...
  bool m_keepHistory = true;
  std::string m_readFileName;
  HistoryRecorder m_history;
  LinePorts m_ports{m_line};

  // Undo and redo.
  UndoSteps m_undo;
  std::optional<SetState> m_shownState;  // the set as the last step left it
  int m_setChangeDepth = 0;
  std::optional<SetState> m_readTyped;  // the boxes when a Read began
  SetChange m_openChange = SetChange::Open;
};

}  // namespace qm17
