#pragma once
// The Com menu's dialog for serial adapters: the ten Com numbers with the device each names
// now, the adapters plugged in, and a button that assigns the chosen adapter to a number.

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "device/serial_adapters.h"
#include "params/com_port.h"
#include "params/device_image.h"

class QComboBox;
class QListWidget;
class QPushButton;

namespace qm17 {

using AdapterLister = std::function<std::vector<SerialAdapter>()>;

class PortDialog : public QDialog {
  Q_OBJECT

 public:
  // `devices[k]` is what Com k+1 names now; `current` (1..10) is preselected.
  PortDialog(QWidget* parent, Language language, AdapterLister lister,
             const std::array<std::string, ComPort::kCount>& devices, int current);

  // 1..10.
  int ComNumber() const;
  // The name to store for the chosen adapter (its by-id link where there is one); empty when
  // none is chosen.
  std::string AdapterName() const;
  // Selects the adapter listed under `name` (device or stable name); false when not listed.
  bool SelectAdapter(const std::string& name);
  void SelectComNumber(int number);
  // Lists the adapters again (an adapter plugged in while the dialog is open).
  void Refresh();

 private:
  void UpdateButtons();

  Language m_language;
  AdapterLister m_lister;
  std::array<std::string, ComPort::kCount> m_devices;
  std::vector<SerialAdapter> m_adapters;
  QComboBox* m_com = nullptr;
  QListWidget* m_list = nullptr;
  QPushButton* m_assign = nullptr;
};

}  // namespace qm17
