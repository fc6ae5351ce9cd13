#pragma once
// What qm17ctl tells a script: the JSON of its results (one object per line) and the lines
// that say which file or device failed and why.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "device/monitor.h"
#include "params/device_image.h"
#include "params/differences.h"

namespace qm17::ctl {

// The schema every --json shares; qm17ctl --help prints it.
extern const char kJsonSchema[];

// {"pointCount": ..., "points": [{"rpm": ..., "advance": ...}, ...]}: the keys of show --json.
std::string JsonParameters(const DeviceImage& image);
// [{"field": "limiterRpm", "point": null, "byte": 52, "from": 150, "to": 120}, ...]
std::string JsonDifferences(const std::vector<Difference>& differences);
// {"version": ..., "date": ..., "time": ..., "programCount": N or null}
std::string JsonUnit(const IdentificationTexts& id, std::optional<std::uint16_t> programCount);
// One monitor frame: {"time": s, "rpm": ..., ...}
std::string JsonLive(double seconds, const LiveValues& values);

// "qm17ctl: <message>" and below it "  <name>: <reason>", as the port failure tells its
// device. `error` is the system's error number (0: the reason is not known).
void TellFailure(const CommandContext& context, const std::string& message, const std::string& name,
                 int error);
// The same for a file that could not be read or written, with the system's reason where there
// is one (errno, which the caller sets to 0 before the attempt).
void TellFileError(const CommandContext& context, const std::string& path);

}  // namespace qm17::ctl
