#include "app/spin_buttons.h"

#include <QLineEdit>
#include <QLocale>
#include <QToolButton>
#include <algorithm>
#include <limits>

namespace qm17 {

SpinButtons::SpinButtons(QLineEdit* associate, const SpinRange& range, QWidget* parent)
    : QWidget(parent),
      m_associate(associate),
      m_range(range),
      m_position(range.min),
      m_up(new QToolButton(this)),
      m_down(new QToolButton(this)) {
  setFocusPolicy(Qt::NoFocus);
  for (QToolButton* button : {m_up, m_down}) {
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setAutoRaise(false);
    button->setIconSize(QSize(7, 5));
  }
  m_up->setObjectName(QStringLiteral("up"));
  m_down->setObjectName(QStringLiteral("down"));
  m_up->setArrowType(Qt::UpArrow);
  m_down->setArrowType(Qt::DownArrow);
  connect(m_up, &QToolButton::clicked, this, [this] { Step(true); });
  connect(m_down, &QToolButton::clicked, this, [this] { Step(false); });
}

void SpinButtons::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int upHeight = height() / 2;
  m_up->setGeometry(0, 0, width(), upHeight);
  m_down->setGeometry(0, upHeight, width(), height() - upHeight);
}

std::optional<int> SpinButtons::ParseText(const QString& text, const QLocale& locale) {
  QString digits = text;
  const QString separator = locale.groupSeparator();
  if (!separator.isEmpty()) digits.remove(separator);
  // Where the separator is a (narrow) no-break space, people type a plain space.
  if (separator == QStringLiteral("\u00A0") || separator == QStringLiteral("\u202F"))
    digits.remove(u' ');
  qsizetype i = 0;
  bool negative = false;
  if (i < digits.size() && (digits[i] == u'-' || digits[i] == u'+')) {
    negative = digits[i] == u'-';
    ++i;
  }
  if (i == digits.size()) return std::nullopt;
  long long value = 0;
  for (; i < digits.size(); ++i) {
    if (digits[i] < u'0' || digits[i] > u'9') return std::nullopt;
    value = value * 10 + (digits[i].unicode() - u'0');
    if (value > std::numeric_limits<int>::max()) return std::nullopt;
  }
  return static_cast<int>(negative ? -value : value);
}

QString SpinButtons::FormatPosition(int position, bool digitGrouping, const QLocale& locale) {
  QString text = QString::number(position);
  if (!digitGrouping || position < 1000) return text;
  const QString separator = locale.groupSeparator();
  for (qsizetype at = text.size() - 3; at > 0; at -= 3) text.insert(at, separator);
  return text;
}

int SpinButtons::Position() {
  const std::optional<int> typed = ParseText(m_associate->text(), QLocale());
  if (typed && *typed >= m_range.min && *typed <= m_range.max) m_position = *typed;
  return m_position;
}

void SpinButtons::SetPosition(int position) {
  m_position = ClampToRange(position, m_range);
  m_associate->setText(FormatPosition(m_position, m_range.digitGrouping, QLocale()));
}

void SpinButtons::Step(bool up) {
  const long long next = static_cast<long long>(Position()) + (up ? m_range.step : -m_range.step);
  SetPosition(static_cast<int>(std::clamp<long long>(next, m_range.min, m_range.max)));
  emit Clicked(up);
}

}  // namespace qm17
