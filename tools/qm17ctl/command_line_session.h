#pragma once
// The session as one qm17ctl command runs it: the same use cases as the window, told on the
// command line instead of in a window.

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "device/serial_port.h"
#include "session/session.h"

namespace qm17::ctl {

// A session of its own for one command, in the context's language, holding the default set
// and no control panel (every value held to its control's range). Status texts go to
// `progress` as they come, failures and messages to the error stream, the no-connection text
// once each time the connection goes.
class CommandLineSession : private SessionObserver {
 public:
  CommandLineSession(const CommandContext& context, std::ostream& progress);
  ~CommandLineSession() override;
  CommandLineSession(const CommandLineSession&) = delete;
  CommandLineSession& operator=(const CommandLineSession&) = delete;

  Session& session() { return m_session; }
  // No status texts at all: the command says the failure itself.
  void SetQuiet(bool quiet) { m_quiet = quiet; }

  // Opens a parameter file as File > Open does: onto the default set, refused unless the
  // version is right, then normalised; what loading changed is said, named by `path`. "-"
  // reads standard input. False (and the message said) when it cannot be used.
  bool OpenFile(const std::string& path);

  // Monitor frames told so far, and the last one's values.
  long LiveCount() const { return m_liveCount; }
  const LiveValues& Live() const { return m_live; }

 private:
  void StatusTextChanged() override;
  void ShowMessage(const std::string& text) override;
  void NoConnectionChanged(bool visible) override;
  void LiveValuesChanged(const LiveValues& values) override;
  void HistoryNotKept(const std::string& text) override;

  const CommandContext& m_context;
  std::ostream& m_progress;
  std::unique_ptr<SerialLine> m_line = MakeSystemSerialLine();
  Session m_session{*m_line};
  bool m_quiet = false;
  bool m_noConnection = false;
  bool m_opening = false;
  std::vector<std::string> m_openMessages;  // told while a file opens
  long m_liveCount = 0;
  LiveValues m_live;
};

// A message of several lines as the command line lists it: each line after the first
// indented by two spaces.
std::string IndentedList(const std::string& text);

// The absolute form of a file named on the command line, as the history records it; "-" and
// nothing are no file.
std::string HistoryFileName(const std::string& path);

}  // namespace qm17::ctl
