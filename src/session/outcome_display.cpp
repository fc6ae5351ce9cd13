#include "session/outcome_display.h"

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

}  // namespace

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
        shown.message = MessageTexts(language, MsgVersionMismatch);
      } else {
        // The gauge is left for the countdown to hide with the label.
        shown.status = MessageTexts(language, FailureEntry(outcome.operation));
        shown.failure = true;
      }
      break;
  }
  return shown;
}

}  // namespace qm17
