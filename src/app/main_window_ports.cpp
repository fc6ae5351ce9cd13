// The window's serial adapters: the Com menu's adapter dialog, hints that name each item's
// device, and reopening a device that vanished (an adapter pulled out, a unit restarted).

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <filesystem>
#include <system_error>

#include "app/config_paths.h"
#include "app/main_window.h"
#include "app/port_dialog.h"
#include "app/user_prompts.h"
#include "files/settings_store.h"
#include "texts/texts.h"

namespace qm17 {

namespace {

// About once a second: soon enough for a mechanic replugging a cable, and one failed open a
// second costs nothing while the device is away.
constexpr int kReopenIntervalMs = 1000;

}  // namespace

void MainWindow::SetUpSerialAdapters() {
  m_adapterLister = [] { return ListSerialAdapters(); };
  m_reopenTimer = new QTimer(this);
  m_reopenTimer->setObjectName(QStringLiteral("ReopenTimer"));
  m_reopenTimer->setInterval(kReopenIntervalMs);
  connect(m_reopenTimer, &QTimer::timeout, this, &MainWindow::RetryLostDevice);
  // Adapters come and go while the program runs: the hints say what is plugged in now.
  connect(MenuCom, &QMenu::aboutToShow, this, &MainWindow::ApplyComTexts);
}

void MainWindow::SetAdapterLister(AdapterLister lister) {
  if (lister) m_adapterLister = std::move(lister);
}

std::string MainWindow::ComDevice(int number) const {
  if (number < 1 || number > 10) return {};
  const std::string& assigned = m_assignedPorts[static_cast<std::size_t>(number - 1)];
  if (!assigned.empty()) return assigned;
  IniFile settings;
  settings.Load(SettingsFilePath());
  return ComPortDevicePath(number, settings);
}

void MainWindow::ApplyComTexts() {
  const Language language = CurrentLanguage();
  const QString comHint = QString::fromUtf8(ComItemHint(language));
  const std::vector<SerialAdapter> adapters =
      m_adapterLister ? m_adapterLister() : std::vector<SerialAdapter>{};
  IniFile settings;
  settings.Load(SettingsFilePath());
  for (std::size_t k = 0; k < m_menuComs.size(); ++k) {
    const int number = static_cast<int>(k + 1);
    const std::string& assigned = m_assignedPorts[k];
    const std::string device = assigned.empty() ? ComPortDevicePath(number, settings) : assigned;
    const QString caption = comHint + u' ' + QString::number(number);
    QString detail = caption + QStringLiteral(": ") + QString::fromStdString(device);
    if (const SerialAdapter* adapter = FindAdapter(adapters, device);
        adapter != nullptr && !adapter->Description().empty())
      detail += QStringLiteral(" (") + QString::fromStdString(adapter->Description()) + u')';
    SetHint(m_menuComs[k], caption + u'|' + detail);
  }
  MenuComAdapters->setText(QString::fromUtf8(PortText(language, PortTextId::MenuItem)));
  SetHint(MenuComAdapters, QString::fromUtf8(PortText(language, PortTextId::MenuHint)));
}

void MainWindow::MenuComAdaptersClick() {
  std::array<std::string, 10> devices;
  for (int n = 1; n <= 10; ++n) devices[static_cast<std::size_t>(n - 1)] = ComDevice(n);
  const int current = m_comPortNumber >= 1 && m_comPortNumber <= 10 ? m_comPortNumber : 1;
  PortDialog dialog(this, CurrentLanguage(), m_adapterLister, devices, current);
  if (!Prompts().RunDialog(dialog)) return;
  const int number = dialog.ComNumber();
  const std::string name = dialog.AdapterName();
  if (number < 1 || number > 10 || name.empty()) return;
  m_assignedPorts[static_cast<std::size_t>(number - 1)] = name;
  // Stored at once, so that the next start and qm17ctl find it. A settings file that is there
  // but cannot be read is left alone, as at exit; the choice then holds for this run.
  if (EnsureConfigDirectory()) {
    const std::string path = SettingsFilePath();
    IniFile settings;
    std::error_code error;
    if (settings.Load(path) || !std::filesystem::exists(path, error)) {
      settings.WriteString(kPortsSection, "COM" + std::to_string(number), name);
      settings.Save(path);
    }
  }
  ApplyComTexts();
  // As a click on that Com item: checkmark, close, open.
  m_menuComs[static_cast<std::size_t>(number - 1)]->trigger();
}

void MainWindow::ComDeviceLost() {
  if (!m_openedDevice.isEmpty()) m_reopenTimer->start();
}

void MainWindow::RetryLostDevice() {
  if (m_serial.IsOpen()) {
    m_reopenTimer->stop();
    return;
  }
  // A pseudo-terminal's name may by now belong to another program's terminal: never opened
  // again unless its link was made anew.
  const std::string device = m_openedDevice.toStdString();
  if (!MayReopenLostLine(m_openedLineName, IdentifyLineName(device))) return;
  // Quietly: the user sees the no-connection label until the device answers again.
  if (!m_serial.Open(device)) return;
  m_openedLineName = IdentifyLineName(device);
  m_reopenTimer->stop();
}

}  // namespace qm17
