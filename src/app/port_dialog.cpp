#include "app/port_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "texts/printable.h"
#include "texts/texts.h"

namespace qm17 {

namespace {

QString Text(Language language, PortTextId id) {
  return QString::fromUtf8(PortText(language, id));
}

// Names come from the settings file and from the devices themselves: without controls, and
// a long one cut in the middle, so that the dialog keeps its buttons on the screen.
QString Shown(const std::string& name) {
  return QString::fromStdString(ShortenedMiddle(Printable(name)));
}

QString ComLine(int number, const std::string& device, const SerialAdapter* adapter) {
  QString line = QStringLiteral("Com %1   %2").arg(number).arg(Shown(device));
  if (adapter != nullptr && !adapter->Description().empty())
    line += QStringLiteral("   ") + Shown(adapter->Description());
  return line;
}

}  // namespace

PortDialog::PortDialog(QWidget* parent, Language language, AdapterLister lister,
                       const std::array<std::string, 10>& devices, int current)
    : QDialog(parent), m_language(language), m_lister(std::move(lister)), m_devices(devices) {
  setObjectName(QStringLiteral("PortDialog"));
  setWindowTitle(Text(language, PortTextId::DialogTitle));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(Text(language, PortTextId::ComLabel), this));
  m_com = new QComboBox(this);
  m_com->setObjectName(QStringLiteral("PortDialogCom"));
  layout->addWidget(m_com);
  layout->addWidget(new QLabel(Text(language, PortTextId::AdaptersLabel), this));
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("PortDialogAdapters"));
  m_list->setMinimumWidth(560);
  layout->addWidget(m_list);

  auto* buttons = new QHBoxLayout;
  auto* refresh = new QPushButton(Text(language, PortTextId::Refresh), this);
  refresh->setObjectName(QStringLiteral("PortDialogRefresh"));
  m_assign = new QPushButton(Text(language, PortTextId::Assign), this);
  m_assign->setObjectName(QStringLiteral("PortDialogAssign"));
  m_assign->setDefault(true);
  auto* cancel = new QPushButton(Text(language, PortTextId::Cancel), this);
  buttons->addWidget(refresh);
  buttons->addStretch();
  buttons->addWidget(m_assign);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  connect(refresh, &QPushButton::clicked, this, &PortDialog::Refresh);
  connect(m_assign, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_list, &QListWidget::currentRowChanged, this, &PortDialog::UpdateButtons);
  connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
    if (!AdapterName().empty()) accept();
  });
  Refresh();
  SelectComNumber(current);
}

void PortDialog::Refresh() {
  const std::string chosen = AdapterName();
  const int number = m_com->count() > 0 ? ComNumber() : 1;
  m_adapters = m_lister ? m_lister() : std::vector<SerialAdapter>{};
  m_com->clear();
  for (const ComPort port : ComPort::All()) {
    const std::string& device = m_devices[port.Index()];
    m_com->addItem(ComLine(port.Number(), device, FindAdapter(m_adapters, device)), port.Number());
  }
  SelectComNumber(number);
  m_list->clear();
  for (const SerialAdapter& adapter : m_adapters) {
    QString line = Shown(adapter.device);
    if (const std::string text = adapter.Description(); !text.empty())
      line += QStringLiteral("   ") + Shown(text);
    if (!adapter.stableName.empty()) line += QStringLiteral("\n    ") + Shown(adapter.stableName);
    m_list->addItem(line);
  }
  if (m_adapters.empty()) {
    auto* none = new QListWidgetItem(Text(m_language, PortTextId::NoAdapters), m_list);
    none->setFlags(Qt::NoItemFlags);
  } else if (!SelectAdapter(chosen)) {
    m_list->setCurrentRow(0);
  }
  UpdateButtons();
}

int PortDialog::ComNumber() const {
  return m_com->currentData().toInt();
}

std::string PortDialog::AdapterName() const {
  const int row = m_list->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= m_adapters.size()) return {};
  return m_adapters[static_cast<std::size_t>(row)].PreferredName();
}

bool PortDialog::SelectAdapter(const std::string& name) {
  if (name.empty()) return false;
  const SerialAdapter* adapter = FindAdapter(m_adapters, name);
  if (adapter == nullptr) return false;
  m_list->setCurrentRow(static_cast<int>(adapter - m_adapters.data()));
  return true;
}

void PortDialog::SelectComNumber(int number) {
  m_com->setCurrentIndex(static_cast<int>(ComPort::FromNumber(number).value_or(ComPort()).Index()));
}

void PortDialog::UpdateButtons() {
  m_assign->setEnabled(!AdapterName().empty());
}

}  // namespace qm17
