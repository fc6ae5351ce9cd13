#pragma once
// The parameter file named on the command line ("qm17 race.ign", "qm17 ENGLISH race.ign"),
// which the desktop's file association and the Windows installer pass to the program.

#include <QString>
#include <QStringList>

namespace qm17 {

// The first argument after the program's name that names a parameter file: one ending in
// ".ign" (any case) or an existing file, never an option, an option's value or the language
// word; made absolute. Empty when there is none, so that any other word stays ignored as before.
QString StartupFileArgument(const QStringList& arguments);

}  // namespace qm17
