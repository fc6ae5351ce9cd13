// The window's serial adapters: the Com menu's adapter dialog, hints that name each item's
// device, and reopening a device that vanished (an adapter pulled out, a unit restarted).

#include <QAction>
#include <QMenu>

#include "app/main_window.h"
#include "app/port_dialog.h"
#include "app/user_prompts.h"
#include "texts/printable.h"
#include "texts/texts.h"

namespace qm17 {

void MainWindow::SetUpSerialAdapters() {
  m_adapterLister = [] { return ListSerialAdapters(); };
  // Adapters come and go while the program runs: the hints say what is plugged in now.
  connect(MenuCom, &QMenu::aboutToShow, this, &MainWindow::ApplyComTexts);
}

void MainWindow::SetAdapterLister(AdapterLister lister) {
  if (lister) m_adapterLister = std::move(lister);
}

void MainWindow::ApplyComTexts() {
  const Language language = CurrentLanguage();
  const QString comHint = QString::fromUtf8(ComItemHint(language));
  const std::vector<SerialAdapter> adapters =
      m_adapterLister ? m_adapterLister() : std::vector<SerialAdapter>{};
  for (std::size_t k = 0; k < m_menuComs.size(); ++k) {
    const int number = static_cast<int>(k + 1);
    const std::string device = m_session.ComDevice(number);
    const QString caption = comHint + u' ' + QString::number(number);
    QString detail =
        caption + QStringLiteral(": ") + QString::fromStdString(ShortenedMiddle(Printable(device)));
    if (const SerialAdapter* adapter = FindAdapter(adapters, device);
        adapter != nullptr && !adapter->Description().empty())
      detail += QStringLiteral(" (") +
                QString::fromStdString(ShortenedMiddle(Printable(adapter->Description()))) + u')';
    SetHint(m_menuComs[k], caption + u'|' + detail);
  }
  MenuComAdapters->setText(QString::fromUtf8(PortText(language, PortTextId::MenuItem)));
  SetHint(MenuComAdapters, QString::fromUtf8(PortText(language, PortTextId::MenuHint)));
}

void MainWindow::MenuComAdaptersClick() {
  std::array<std::string, 10> devices;
  for (int n = 1; n <= 10; ++n) devices[static_cast<std::size_t>(n - 1)] = ComDevice(n);
  const int port = m_session.ComPortNumber();
  const int current = port >= 1 && port <= 10 ? port : 1;
  PortDialog dialog(this, CurrentLanguage(), m_adapterLister, devices, current);
  if (!Prompts().RunDialog(dialog)) return;
  const int number = dialog.ComNumber();
  const std::string name = dialog.AdapterName();
  if (number < 1 || number > 10 || name.empty()) return;
  // Stored at once, so that the next start and qm17ctl find it; then as a click on that Com
  // item: checkmark, close, open.
  m_session.AssignComDevice(number, name);
  ApplyComTexts();
}

}  // namespace qm17
