#pragma once
// Translation modules: shared libraries beside the executable named quillo.<language>, exporting each
// text of the string table as a NUL-terminated UTF-8 string under the data symbol
// u_ResourceStrings_<identifier>, exactly like the translation library built from the English table.
#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QStringList>

// The module names tried for Locale, in order: the three-letter language code, then the two-letter
// one ("quillo.fra", "quillo.fr").
QStringList TranslationModuleNames(const QLocale &Locale);

// The language the user reads the interface in: the first of the session's interface languages
// (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
QLocale InterfaceLocale();

// Looks in AppDir for the module of Locale's language and, when one loads and holds at least one text
// of the table, takes every text from it: a window text the module lacks becomes empty, a message it
// lacks stays in English. Returns whether a module was used; the texts in force are left as they are
// when none is. Called once at start-up, before any window exists.
bool LoadTranslationModule(const QString &AppDir, const QLocale &Locale = InterfaceLocale());

// Qt's own texts (the labels and buttons of the file dialogs, the message boxes' buttons) in Locale's
// language, from the Qt translations installed on the system, so that a translated interface is not
// half in English. Nothing changes when they are not installed.
void LoadQtTranslation(QCoreApplication &App, const QLocale &Locale = InterfaceLocale());
