#include "app/about_help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTranslator>
#include <QUrl>

#include "texts/help_texts.h"
#include "texts/texts.h"

namespace qm17 {

QString ApplicationTitle(const QString& programPath) {
  QString name = QFileInfo(programPath).fileName();
  const qsizetype dot = name.indexOf(QLatin1Char('.'));
  if (dot >= 0) name.truncate(dot);
  if (name.isEmpty()) return name;
  // The first letter keeps its case: "qm17" stays "qm17", "SETUP.EXE" becomes "Setup".
  return name.left(1) + name.mid(1).toLower();
}

QString AboutBoxText(Language language) {
  return QString::fromStdString(AboutText(language, BuildDate(), BuildTime()));
}

bool UseToolkitLanguage(Language language) {
  // One translator for the whole run, owned by the application; loaded again only when the
  // language changes.
  static QPointer<QTranslator> translator;  // gone with the application that owned it
  static QString loaded;
  const QString code = language == Language::Czech    ? QStringLiteral("cs")
                       : language == Language::German ? QStringLiteral("de")
                                                      : QString();
  if (translator && loaded == code) return !code.isEmpty();
  if (!translator) translator = new QTranslator(QCoreApplication::instance());
  QCoreApplication::removeTranslator(translator);
  loaded = code;
  if (code.isEmpty()) return false;
  for (const QString& folder : ToolkitTranslationFolders()) {
    if (translator->load(QStringLiteral("qtbase_") + code, folder))
      return QCoreApplication::installTranslator(translator);
  }
  loaded.clear();
  return false;
}

QString FindHelpDocument(Language language, const QStringList& folders) {
  const QString name = QString::fromUtf8(HelpDocumentName(language));
  if (name.isEmpty()) return {};
  for (const QString& folder : folders) {
    const QFileInfo file(QDir(folder), name);
    if (file.isFile()) return file.absoluteFilePath();
  }
  return {};
}

QString OpenHelp(Language language, const UrlOpener& open, const QStringList& documentFolders,
                 const QStringList& manualFolders) {
  // A local-file URL, never a command line: the name cannot be read as a shell command.
  const auto show = [&open](const QString& path) {
    const QUrl url = QUrl::fromLocalFile(path);
    return open ? open(url) : QDesktopServices::openUrl(url);
  };
  const QString document = FindHelpDocument(language, documentFolders);
  if (!document.isEmpty() && show(document)) return {};
  QString manual;
  for (const Language choice : {language, Language::English}) {
    for (const QString& folder : manualFolders) {
      const QFileInfo file(QDir(folder), QString::fromUtf8(ManualFileName(choice)));
      if (file.isFile()) {
        manual = file.absoluteFilePath();
        break;
      }
    }
    if (!manual.isEmpty()) break;
  }
  if (!manual.isEmpty() && show(manual)) return {};
  // F1 must never do nothing: say where the manual is, or where it belongs.
  if (!manual.isEmpty())
    return QString::fromUtf8(HelpText(language, HelpManualNotOpened))
        .arg(QDir::toNativeSeparators(manual));
  const QString folder = manualFolders.value(0);
  return QString::fromUtf8(HelpText(language, HelpManualMissing))
      .arg(QDir::toNativeSeparators(folder));
}

QString OpenHelpDocument(Language language, const UrlOpener& open) {
  return OpenHelp(language, open, HelpSearchFolders(), ManualSearchFolders());
}

}  // namespace qm17
