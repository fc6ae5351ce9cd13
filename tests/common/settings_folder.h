#pragma once
// The settings of a window under test, kept apart from the user's: while it lives,
// XDG_CONFIG_HOME and XDG_DATA_HOME (the parameter history) on Linux, APPDATA and LOCALAPPDATA
// on Windows, point into this fresh temporary folder, which holds the program's "qm17" folder;
// what they were before comes back at the end.

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
    for (std::size_t k = 0; k < kCount; ++k) {
      if (qEnvironmentVariableIsSet(kNames[k])) m_before[k] = qgetenv(kNames[k]);
      qputenv(kNames[k], QDir::toNativeSeparators(path()).toLocal8Bit());
    }
  }
  ~SettingsFolder() {
    for (std::size_t k = 0; k < kCount; ++k)
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
  // Each system reads its own pair; setting the other's does no harm.
  static constexpr std::size_t kCount = 4;
  static constexpr const char* kNames[kCount] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "APPDATA",
                                                 "LOCALAPPDATA"};
  std::optional<QByteArray> m_before[kCount];
};

}  // namespace qm17::test
