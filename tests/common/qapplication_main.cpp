// The main() of GoogleTest programs that need a QApplication. With QM17_TEST_OWN_SETTINGS
// defined, the program's settings live in a folder of its own and numbers read as in English.

#include <gtest/gtest.h>

#include <QApplication>
#ifdef QM17_TEST_OWN_SETTINGS
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#endif

int main(int argc, char** argv) {
  // Test discovery runs the program at build time, outside CTest's environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef QM17_TEST_OWN_SETTINGS
  // Settings of a test run never touch the user's.
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", config.path().toLocal8Bit());  // nor their parameter history
  qputenv("APPDATA", QDir::toNativeSeparators(config.path()).toLocal8Bit());  // Windows
  qputenv("LOCALAPPDATA", QDir::toNativeSeparators(config.path()).toLocal8Bit());
#endif
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
#ifdef QM17_TEST_OWN_SETTINGS
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
