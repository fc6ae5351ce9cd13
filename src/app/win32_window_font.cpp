#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QString>

#include "app/window_font.h"

namespace qm17 {

void ChooseWindowFont() {
  // Windows 10 and 11 give messages Segoe UI; Qt names the dialog font "MS Shell Dlg", an alias
  // that Wine maps to whatever it has, a serif face where Tahoma is missing. So the faces are
  // asked for by name, the desktop's own sans-serif faces last.
  const QFont message = QApplication::font("QMessageBox");
  QFont chosen = QApplication::font();
  const QStringList families = QFontDatabase::families();
  for (const QString& family : {QStringLiteral("Segoe UI"), QStringLiteral("Tahoma"),
                                QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")}) {
    if (!families.contains(family, Qt::CaseInsensitive)) continue;
    chosen.setFamily(family);
    break;
  }
  chosen.setStyleHint(QFont::SansSerif);
  if (message.pointSizeF() > 0) chosen.setPointSizeF(message.pointSizeF());
  QApplication::setFont(chosen);
}

}  // namespace qm17
