#include "results.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "files/file_names.h"
#include "params/ignition_parameters.h"
#include "texts/printable.h"
#include "texts/texts.h"

namespace qm17::ctl {

const char kJsonSchema[] =
    "With --json a command prints one JSON object on one line (monitor: one per frame):\n"
    "  read, verify, program: {\"command\", \"ok\", \"reason\", \"unit\", \"output\",\n"
    "      \"parameters\", \"differences\"}\n"
    "  diff: {\"command\", \"same\", \"differences\"}\n"
    "  history: {\"command\", \"entries\": [{\"path\", \"operation\", \"savedAt\", \"unit\",\n"
    "      \"file\", \"note\"}]}\n"
    "  monitor: {\"time\", \"rpm\", \"advance\", \"volts\", \"speedAlarm\", \"speedWarning\",\n"
    "      \"startLimiter\", \"retard\", \"polarityNegative\", \"polarityOk\",\n"
    "      \"programCount\", \"tests\"}\n"
    "\"reason\" is null, \"no-answer\", \"differs\", \"version\" or \"interrupted\"; \"unit\"\n"
    "is {\"version\", \"date\", \"time\", \"programCount\"}; \"parameters\" has the keys of\n"
    "show --json; a difference is {\"field\", \"point\", \"byte\", \"from\", \"to\"} in the\n"
    "units show uses (polarity: 0 positive, 1 negative, 2 self-search), from A or FILE to B\n"
    "or the unit. What is not known is null. Text is UTF-8; a byte that is not is \\u00XX.\n";

namespace {

const char* FieldKey(ParameterField field) {
  switch (field) {
    case ParameterField::PointCount:
      return "pointCount";
    case ParameterField::BaseAdvance:
      return "baseAdvance";
    case ParameterField::Limiter:
      return "limiterRpm";
    case ParameterField::Polarity:
      return "polarity";
    case ParameterField::StartLimiter:
      return "startLimiterRpm";
    case ParameterField::Retard:
      return "retard";
    case ParameterField::IgnitionsPerRev:
      return "ignitionsPerRev";
    case ParameterField::ShiftLight:
      return "shiftLightRpm";
    case ParameterField::PointSpeed:
      return "pointRpm";
    case ParameterField::PointAdvance:
      return "pointAdvance";
    case ParameterField::Reserved:
      break;
  }
  return "reserved";
}

const char* Bool(bool value) {
  return value ? "true" : "false";
}

}  // namespace

std::string JsonParameters(const DeviceImage& image) {
  static const char* const kPolarities[kPolarityItemCount] = {"positive", "negative", "selfsearch"};
  const IgnitionParameters p = ParametersFromImage(image);
  std::string out = "{\"pointCount\": " + std::to_string(p.pointCount) +
                    ", \"baseAdvance\": " + std::to_string(p.baseAdvance) +
                    ", \"startLimiterRpm\": " + std::to_string(p.startLimiterRpm) +
                    ", \"limiterRpm\": " + std::to_string(p.limiterRpm) +
                    ", \"retard\": " + std::to_string(p.retard) +
                    ", \"ignitionsPerRev\": " + std::to_string(p.ignitionsPerRev) +
                    ", \"shiftLightRpm\": " + std::to_string(p.shiftLightRpm) +
                    ", \"polarity\": \"" + kPolarities[p.polarity] + "\", \"points\": [";
  for (std::size_t i = 0; i < kPointCount; ++i) {
    out += (i > 0 ? ", {\"rpm\": " : "{\"rpm\": ") + std::to_string(p.pointSpeedRpm[i]) +
           ", \"advance\": " + std::to_string(p.pointAdvance[i]) + "}";
  }
  return out + "]}";
}

std::string JsonDifferences(const std::vector<Difference>& differences) {
  std::string out = "[";
  for (const Difference& d : differences) {
    const bool speed = d.field == ParameterField::PointSpeed;
    const bool point = speed || d.field == ParameterField::PointAdvance;
    if (out.size() > 1) out += ", ";
    out += std::string("{\"field\": \"") + FieldKey(d.field) +
           "\", \"point\": " + (point ? std::to_string(d.imageByte - (speed ? 59 : 79)) : "null") +
           ", \"byte\": " + std::to_string(d.imageByte) +
           ", \"from\": " + std::to_string(d.oldValue) + ", \"to\": " + std::to_string(d.newValue) +
           "}";
  }
  return out + "]";
}

std::string JsonUnit(const IdentificationTexts& id, std::optional<std::uint16_t> programCount) {
  return "{\"version\": " + JsonString(id.version) + ", \"date\": " + JsonString(id.date) +
         ", \"time\": " + JsonString(id.time) +
         ", \"programCount\": " + (programCount ? std::to_string(*programCount) : "null") + "}";
}

std::string JsonLive(double seconds, const LiveValues& v) {
  char head[96];
  std::snprintf(head, sizeof head,
                "{\"time\": %.3f, \"rpm\": %u, \"advance\": %u, \"volts\": %u.%03u", seconds, v.rpm,
                v.advance, static_cast<unsigned>(v.millivolts / 1000),
                static_cast<unsigned>(v.millivolts % 1000));
  std::string out = head;
  out += std::string(", \"speedAlarm\": ") + Bool(v.speedAlarm) +
         ", \"speedWarning\": " + Bool(v.speedWarning) +
         ", \"startLimiter\": " + Bool(v.startLimiterActive) +
         ", \"retard\": " + Bool(v.retardActive) +
         ", \"polarityNegative\": " + Bool(v.polarityNegative) +
         ", \"polarityOk\": " + Bool(v.polarityFlag) +
         ", \"programCount\": " + std::to_string(v.programCount) + ", \"tests\": [";
  for (std::size_t i = 0; i < v.tests.size(); ++i) {
    out += (i > 0 ? ", " : "") + std::to_string(v.tests[i]);
  }
  return out + "]}";
}

void TellFailure(const CommandContext& context, const std::string& message, const std::string& name,
                 int error) {
  context.err << "qm17ctl: " << message << "\n  " << ShortenedMiddle(Printable(name));
  if (error != 0) context.err << ": " << std::generic_category().message(error);
  context.err << '\n';
}

void TellFileError(const CommandContext& context, const std::string& path) {
  int error = errno;
  // A folder is refused before the system is asked, so it gave no reason.
  std::error_code ignored;
  if (error == 0 && path != "-" && std::filesystem::is_directory(PathFromUtf8(path), ignored)) {
    error = EISDIR;
  }
  TellFailure(context, Message(context, MsgOpenFileError), path, error);
}

}  // namespace qm17::ctl
