#pragma once
// The About box text and title, and the help document of the current language.

#include <QString>
#include <QStringList>
#include <functional>

#include "params/device_image.h"

class QUrl;

namespace qm17 {

// When this program was built, as "Sep 11 2004" and "08:49:46"; the same on every run.
const char* BuildDate();
const char* BuildTime();

// The program file's name without its folder, cut at the first dot, every letter after the
// first in lower case: "/usr/bin/qm17" gives "qm17", "C:/Programs/SETUP.EXE" "Setup".
QString ApplicationTitle(const QString& programPath);

QString AboutBoxText(Language language);

// Qt's own texts (standard buttons, file and print dialogs) in the interface language: Qt's
// translation for Czech or German is installed, and removed again for English. Returns
// whether a translation is in force; without Qt's translation files the texts stay English.
bool UseToolkitLanguage(Language language);
// Where Qt's translations are looked for, in order: Qt's own folder; on Windows first the
// translations folder beside the program, where the installer puts them.
QStringList ToolkitTranslationFolders();

// Folders searched for the help document, in order: the current folder, then the
// documentation folder of the program's installation (on Linux beside its bin folder, then the
// configured one; on Windows the program's own folder's doc folder, then that folder itself).
QStringList HelpSearchFolders();
// The first existing document of the language in those folders; empty when there is none.
QString FindHelpDocument(Language language, const QStringList& folders);

// Folders that may hold the program's own manual, the installed one first.
QStringList ManualSearchFolders();

// Help > Contents: the help document of the language where one exists, else the program's
// manual in the language (else in English) in the desktop's browser. Returns what to tell the
// user when nothing could be shown (where the manual is, or where it belongs), else empty.
// `open` replaces the desktop service (tests).
using UrlOpener = std::function<bool(const QUrl&)>;
QString OpenHelp(Language language, const UrlOpener& open, const QStringList& documentFolders,
                 const QStringList& manualFolders);
QString OpenHelpDocument(Language language, const UrlOpener& open = {});

}  // namespace qm17
