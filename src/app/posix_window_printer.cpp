#include <cups/cups.h>

#include "app/window_printer_service.h"

namespace qm17 {

// Qt hands the finished job to CUPS inside QPainter::end(), on this thread, and drops the
// answer. libcups keeps the answer to this thread's last request, which is that submission, so
// a refused job (a queue that rejects jobs, a service that went away) shows there.
QString PrintServiceRefusal() {
  const ipp_status_t status = cupsLastError();
  if (status >= IPP_STATUS_OK && status <= IPP_STATUS_OK_EVENTS_COMPLETE) return {};
  const char* message = cupsLastErrorString();
  return QString::fromUtf8(message != nullptr && *message != '\0' ? message
                                                                  : ippErrorString(status));
}

}  // namespace qm17
