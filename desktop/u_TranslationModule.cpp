#include "u_TranslationModule.h"

#include "u_ResourceStrings.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLibraryInfo>
#include <QTranslator>

QLocale InterfaceLocale()
{
    const QStringList languages = QLocale::system().uiLanguages();
    return languages.isEmpty() ? QLocale::system() : QLocale(languages.first());
}

QStringList TranslationModuleNames(const QLocale &Locale)
{
    QStringList names;
    const QLocale::Language language = Locale.language();
    if (language == QLocale::C || language == QLocale::AnyLanguage)
        return names;
    for (const QString &code : {QLocale::languageToCode(language, QLocale::ISO639Part2T),
                                QLocale::languageToCode(language, QLocale::ISO639Part1)})
        if (!code.isEmpty() && !names.contains(QStringLiteral("quillo.") + code))
            names << QStringLiteral("quillo.") + code;
    return names;
}

namespace {
QString ModuleText(const char *Identifier, void *Context)
{
    auto *module = static_cast<QLibrary *>(Context);
    const QByteArray symbol = QByteArrayLiteral("u_ResourceStrings_") + Identifier;
    const auto *text = reinterpret_cast<const char *>(module->resolve(symbol.constData()));
    return text ? QString::fromUtf8(text) : QString();
}
} // namespace

bool LoadTranslationModule(const QString &AppDir, const QLocale &Locale)
{
    for (const QString &name : TranslationModuleNames(Locale)) {
        const QString path = QDir(AppDir).absoluteFilePath(name);
        if (!QFileInfo(path).isFile())
            continue;
        QLibrary module(path);
        if (!module.load())
            continue;
        // Any library can sit under that name; one without a single text of ours is not a
        // translation, and taking it would leave every window blank.
        bool holdsTexts = false;
        for (int i = 0; i < int(TResId::Count) && !holdsTexts; ++i)
            holdsTexts = !ModuleText(ResIdentifier(TResId(i)), &module).isNull();
        if (!holdsTexts) {
            module.unload();
            continue;
        }
        // The texts are copied, so the module is not needed past this point.
        SetResTranslation(ModuleText, &module);
        module.unload();
        return true;
    }
    return false;
}

void LoadQtTranslation(QCoreApplication &App, const QLocale &Locale)
{
    auto *texts = new QTranslator(&App);
    if (texts->load(Locale, QStringLiteral("qtbase"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        App.installTranslator(texts);
    else
        delete texts;
}
