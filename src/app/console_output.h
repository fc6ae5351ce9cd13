#pragma once
// Where --help, --version and a usage error are written before the window starts.

namespace qm17 {

// A Windows window program starts without a console: its output goes to the console of the
// command prompt it was started from, unless it was redirected. Nothing to do elsewhere.
void UseStartingConsole();

}  // namespace qm17
