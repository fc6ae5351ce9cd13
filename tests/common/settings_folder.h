#pragma once
// The settings of a window under test, kept apart from the user's: while it lives,
// XDG_CONFIG_HOME and XDG_DATA_HOME (the parameter history) point into this fresh temporary
// folder, which holds the program's "qm17" folder; what they were before comes back at the end.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <optional>

namespace qm17::test {

class SettingsFolder : public QTemporaryDir {
 public:
  SettingsFolder() {
    if (isValid()) QDir(path()).mkpath(QStringLiteral("qm17"));
    for (std::size_t k = 0; k < 2; ++k) {
      if (qEnvironmentVariableIsSet(kNames[k])) m_before[k] = qgetenv(kNames[k]);
      qputenv(kNames[k], path().toLocal8Bit());
    }
  }
  ~SettingsFolder() {
    for (std::size_t k = 0; k < 2; ++k)
      m_before[k] ? qputenv(kNames[k], *m_before[k]) : qunsetenv(kNames[k]);
  }

  QString SettingsPath() const { return filePath(QStringLiteral("qm17/Tarvex.ini")); }
  // The settings file, written whole.
  bool WriteSettings(const QByteArray& content) const {
    QFile file(SettingsPath());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
  }

 private:
  static constexpr const char* kNames[2] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME"};
  std::optional<QByteArray> m_before[2];
};

}  // namespace qm17::test
