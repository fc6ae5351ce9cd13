#include "session/port_failure_text.h"

#include "texts/printable.h"
#include "texts/texts.h"

namespace qm17 {

std::string PortFailureCause(Language language, PortFailure failure) {
  switch (failure) {
    case PortFailure::NotPresent:
      return PortText(language, PortTextId::NotPresent);
    case PortFailure::Permission:
      return PortText(language, PortTextId::Permission);
    case PortFailure::Busy:
      return PortText(language, PortTextId::Busy);
    case PortFailure::NotSerial:
      return PortText(language, PortTextId::NotSerial);
    case PortFailure::None:
    case PortFailure::Other:
      break;
  }
  return PortText(language, PortTextId::OtherFailure);
}

std::string PortOpenErrorText(Language language, const std::string& device, PortFailure failure) {
  // The name comes from the settings or the command line: told without controls, and a
  // long one cut in the middle, so that the message fits a screen.
  return MessageTexts(language, MsgComOpenError) + "\n" +
         (device.empty() ? "" : ShortenedMiddle(Printable(device)) + ": ") +
         PortFailureCause(language, failure);
}

}  // namespace qm17
