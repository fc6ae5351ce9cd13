#include "command_line_session.h"

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>
#include <system_error>

#include "files/atomic_file.h"
#include "files/file_names.h"
#include "results.h"
#include "texts/texts.h"

namespace qm17::ctl {

CommandLineSession::CommandLineSession(const CommandContext& context, std::ostream& progress)
    : m_context(context), m_progress(progress) {
  m_session.SetLanguage(static_cast<std::uint8_t>(context.language));
  m_session.New();
  m_session.AddObserver(*this);
}

CommandLineSession::~CommandLineSession() {
  m_session.RemoveObserver(*this);
}

bool CommandLineSession::OpenFile(const std::string& path) {
  // Both reads are bounded, so an endless input (a device, a stream) is refused rather than
  // exhausting memory. Unlike the window's File > Open, a pipe or process substitution is
  // what a command line is given, so not only regular files are read.
  errno = 0;
  const std::optional<std::string> content =
      path == "-" ? ReadWholeStream(std::cin) : ReadWholeFile(path);
  if (!content) {
    TellFileError(m_context, path);
    return false;
  }
  m_session.New();
  m_opening = true;
  m_openMessages.clear();
  const OpenResult result = m_session.OpenText(*content, HistoryFileName(path));
  m_opening = false;
  for (const std::string& text : m_openMessages) {
    // A file that opened was told about only for what loading changed in it.
    if (result == OpenResult::Opened) m_context.err << path << ": ";
    m_context.err << IndentedList(text) << '\n';
  }
  return result == OpenResult::Opened;
}

void CommandLineSession::StatusTextChanged() {
  if (m_quiet) return;
  const StatusLine& status = m_session.Status();
  // Flushed: whoever waits on the progress sees each step as it comes.
  (status.failure ? m_context.err : m_progress) << status.text << std::endl;
  if (status.failure && !status.detail.empty()) m_context.err << "  " << status.detail << std::endl;
}

void CommandLineSession::ShowMessage(const std::string& text) {
  if (m_opening) {
    m_openMessages.push_back(text);
    return;
  }
  // Named by the program, as every line it writes to the error stream.
  m_context.err << "qm17ctl: " << IndentedList(text) << '\n';
}

void CommandLineSession::NoConnectionChanged(bool visible) {
  if (visible && !m_noConnection) m_context.err << NoConnectionText(m_context.language) << '\n';
  m_noConnection = visible;
}

void CommandLineSession::LiveValuesChanged(const LiveValues& values) {
  m_live = values;
  ++m_liveCount;
}

void CommandLineSession::HistoryNotKept(const std::string& text) {
  m_context.err << text << '\n';
}

std::string IndentedList(const std::string& text) {
  std::string list;
  for (const char c : text) {
    list += c;
    if (c == '\n') list += "  ";
  }
  return list;
}

std::string HistoryFileName(const std::string& path) {
  if (path.empty() || path == "-") return {};
  std::error_code error;
  // Through UTF-8 both ways: a narrow path on Windows would take the ANSI code page's letters.
  const std::filesystem::path absolute = std::filesystem::absolute(PathFromUtf8(path), error);
  return error ? path : Utf8FromPath(absolute);
}

}  // namespace qm17::ctl
