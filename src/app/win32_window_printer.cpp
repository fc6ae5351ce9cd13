#include "app/window_printer_service.h"

namespace qm17 {

// Qt's Windows printing checks StartDoc, StartPage and EndDoc itself: a refused job already
// shows as a painter that does not begin or end, or a printer in the error state.
QString PrintServiceRefusal() {
  return {};
}

}  // namespace qm17
