#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QString>

#include "app/window_font.h"

namespace qm17 {

void ChooseWindowFont() {
  // Qt keeps the message font Windows reports (the one message boxes use) for its message box.
  const QFont message = QApplication::font("QMessageBox");
  QFont chosen = QApplication::font();
  const QStringList families = QFontDatabase::families();
  for (const QString& family :
       {message.family(), QStringLiteral("Segoe UI"), QStringLiteral("Tahoma")}) {
    if (family.isEmpty() || !families.contains(family, Qt::CaseInsensitive)) continue;
    chosen.setFamily(family);
    break;
  }
  chosen.setStyleHint(QFont::SansSerif);
  if (message.pointSizeF() > 0) chosen.setPointSizeF(message.pointSizeF());
  QApplication::setFont(chosen);
}

}  // namespace qm17
