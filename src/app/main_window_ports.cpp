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
  // Adapters come and go while the program runs: the hints say what is plugged in now.
  connect(MenuCom, &QMenu::aboutToShow, this, &MainWindow::ApplyComTexts);
}

void MainWindow::SetAdapterLister(AdapterLister lister) {
  m_session.SetAdapterLister(std::move(lister));
}

void MainWindow::ApplyComTexts() {
  const Language language = CurrentLanguage();
  const QString comHint = QString::fromUtf8(ComItemHint(language));
  const std::vector<SerialAdapter> adapters = m_session.SerialAdapters();
  for (const ComPort port : ComPort::All()) {
    const int number = port.Number();
    const std::string device = m_session.ComDevice(number);
    const QString caption = comHint + u' ' + QString::number(number);
    QString detail =
        caption + QStringLiteral(": ") + QString::fromStdString(ShortenedMiddle(Printable(device)));
    if (const SerialAdapter* adapter = FindAdapter(adapters, device);
        adapter != nullptr && !adapter->Description().empty())
      detail += QStringLiteral(" (") +
                QString::fromStdString(ShortenedMiddle(Printable(adapter->Description()))) + u')';
    SetHint(m_menuComs[port.Index()], caption + u'|' + detail);
  }
  MenuComAdapters->setText(QString::fromUtf8(PortText(language, PortTextId::MenuItem)));
  SetHint(MenuComAdapters, QString::fromUtf8(PortText(language, PortTextId::MenuHint)));
}

void MainWindow::MenuComAdaptersClick() {
  std::array<std::string, ComPort::kCount> devices;
  for (const ComPort port : ComPort::All()) devices[port.Index()] = ComDevice(port.Number());
  const int current = ComPort::FromNumber(m_session.ComPortNumber()).value_or(ComPort()).Number();
  PortDialog dialog(
      this, CurrentLanguage(), [this] { return m_session.SerialAdapters(); }, devices, current);
  if (!Prompts().RunDialog(dialog)) return;
  const int number = dialog.ComNumber();
  const std::string name = dialog.AdapterName();
  if (!ComPort::FromNumber(number) || name.empty()) return;
  // Stored at once, so that the next start and qm17ctl find it; then as a click on that Com
  // item: checkmark, close, open.
  m_session.AssignComDevice(number, name);
  ApplyComTexts();
}

}  // namespace qm17
