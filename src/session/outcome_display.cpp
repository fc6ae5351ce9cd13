#include "session/outcome_display.h"

#include <cstdio>

#include "texts/texts.h"

namespace qm17 {
namespace {

int StartedEntry(Operation operation) {
  switch (operation) {
    case Operation::Program:
      return MsgProgramming;
    case Operation::Read:
      return MsgReading;
    case Operation::Verify:
    case Operation::Idle:
      break;
  }
  return MsgVerifying;
}

// A failure is named by the operation in force: the verify step of Program or Read is Verify.
int FailureEntry(Operation operation) {
  switch (operation) {
    case Operation::Program:
      return MsgProgramError;
    case Operation::Read:
      return MsgReadError;
    case Operation::Verify:
    case Operation::Idle:
      break;
  }
  return MsgVerifyError;
}

std::string Replaced(std::string text, const std::string& one, const std::string& two) {
  if (const std::size_t at = text.find("%1"); at != std::string::npos) text.replace(at, 2, one);
  if (const std::size_t at = text.find("%2"); at != std::string::npos) text.replace(at, 2, two);
  return text;
}

LinkTextId FrameName(std::uint8_t sent) {
  switch (sent) {
    case command::kWriteBlock0:
      return LinkTextId::WriteIdentification;
    case command::kWriteBlock1:
      return LinkTextId::WriteParameters;
    case command::kReadBlock0:
      return LinkTextId::ReadIdentification;
    default:
      break;
  }
  return LinkTextId::ReadParameters;
}

}  // namespace

std::string FailureDetail(const LinkOutcome& outcome, Language language) {
  if (outcome.result != LinkResult::Failed) return {};
  if (outcome.reason == FailureReason::VersionMismatch) {
    const std::string code =
        Replaced(LinkText(language, LinkTextId::UnitCode), std::to_string(outcome.unitCode),
                 std::to_string(kCompatibilityCode));
    const LinkTextId ended = outcome.started == Operation::Program ? LinkTextId::ProgramNotSent
                                                                   : LinkTextId::ReadNotDone;
    return code + ' ' + LinkText(language, ended);
  }
  // A unit that answered otherwise has its own list of what it holds.
  if (outcome.reason != FailureReason::NoAnswer) return {};
  LinkTextId state = LinkTextId::UnitUnchanged;
  if (outcome.started == Operation::Program)
    state = outcome.parametersSent ? LinkTextId::ParametersSent : LinkTextId::NothingSent;
  char frame[8];
  std::snprintf(frame, sizeof frame, "0x%02X", static_cast<unsigned>(outcome.unansweredCommand));
  return std::string(LinkText(language, state)) + ' ' +
         Replaced(LinkText(language, LinkTextId::NoAnswerTo), frame,
                  LinkText(language, FrameName(outcome.unansweredCommand)));
}

OutcomeDisplay DisplayForOutcome(const LinkOutcome& outcome, Language language) {
  OutcomeDisplay shown;
  switch (outcome.result) {
    case LinkResult::Started:
      shown.status = MessageTexts(language, StartedEntry(outcome.operation));
      shown.showStatus = true;
      shown.gauge = GaugeChange::Show;
      break;
    case LinkResult::Verifying:
      // The gauge is still shown from the start of the operation.
      shown.status = MessageTexts(language, MsgVerifying);
      shown.showStatus = true;
      break;
    case LinkResult::Succeeded:
      shown.status = MessageTexts(language, MsgVerifying) + " OK";
      shown.gauge = GaugeChange::Hide;
      break;
    case LinkResult::Failed:
      if (outcome.reason == FailureReason::VersionMismatch) {
        // The status keeps the operation's name until the countdown hides it.
        shown.detail = FailureDetail(outcome, language);
        shown.message = MessageTexts(language, MsgVersionMismatch) + "\n" + shown.detail;
      } else {
        // The gauge is left for the countdown to hide with the label.
        shown.status = MessageTexts(language, FailureEntry(outcome.operation));
        shown.failure = true;
        shown.detail = FailureDetail(outcome, language);
      }
      break;
  }
  return shown;
}

}  // namespace qm17
