#pragma once
// The print service's answer to the job just handed to it, where Qt does not pass it on.

#include <QString>

namespace qm17 {

// Empty when the service took the job (or when the platform's printing reports its failures
// through Qt already); otherwise the service's own message. Asked only after a job has been
// submitted to a named printer, on the thread that submitted it.
QString PrintServiceRefusal();

}  // namespace qm17
