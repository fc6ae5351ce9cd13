#pragma once
// How the crash-safe write makes its temporary file (mkstemp). A test stands in for it to
// play a full disk, which it could not make without privileges.

namespace qm17::detail {

using MakeTemporaryFile = int (*)(char* nameTemplate);
// Returns the one it replaces; nullptr puts mkstemp back.
MakeTemporaryFile SetMakeTemporaryFile(MakeTemporaryFile make);

}  // namespace qm17::detail
