// The string table as a library of its own, and translation modules found beside the program.
// The tests run in order: the last ones put the French texts in force for the rest of the run.
#include "u_ResourceStrings.h"
#include "u_Translate.h"
#include "u_TranslationModule.h"

#include <QDialog>
#include <QLabel>
#include <QLibrary>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {
const QString BuildDir = QStringLiteral(QUILLO_BUILD_DIR);
const QString TranslationLibrary = BuildDir + QStringLiteral("libtranslation.so");
const QString FrenchModule = BuildDir + QStringLiteral("quillo.fr");
const QLocale French(QLocale::French, QLocale::France);

QStringList DefinedSymbols(const QString &Library)
{
    QProcess nm;
    nm.start(QStandardPaths::findExecutable("nm"), {"-D", "--defined-only", "--format=posix", Library});
    if (!nm.waitForFinished(10000))
        return {};
    QStringList symbols;
    for (const QString &line : QString::fromLatin1(nm.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
        symbols << line.section(u' ', 0, 0);
    return symbols;
}
} // namespace

class TestTranslationModule : public QObject {
    Q_OBJECT

private slots:
    void translationLibraryExportsTheWindowTable()
    {
        QLibrary library(TranslationLibrary);
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        int windowTexts = 0;
        for (int i = 0; i < int(TResId::Count); ++i) {
            const TResId id = TResId(i);
            const QByteArray symbol = QByteArray("u_ResourceStrings_") + ResIdentifier(id);
            const auto *text = reinterpret_cast<const char *>(library.resolve(symbol.constData()));
            if (!IsWindowText(id)) {
                QVERIFY2(!text, symbol.constData());
                continue;
            }
            ++windowTexts;
            QVERIFY2(text, symbol.constData());
            QCOMPARE(QString::fromUtf8(text), ResDefaultString(id));
        }
        QCOMPARE(windowTexts, 228);
        QCOMPARE(QString::fromUtf8(reinterpret_cast<const char *>(library.resolve("u_ResourceStrings_sTransferNeedsSaving"))),
                 QStringLiteral("Current file has been modified. You need to save it before transfering.\r\nSave it now ?"));
    }

    void translationLibraryHoldsNothingElse()
    {
        if (QStandardPaths::findExecutable("nm").isEmpty())
            QFAIL("nm is not installed (binutils)");
        const QStringList symbols = DefinedSymbols(TranslationLibrary);
        QCOMPARE(symbols.size(), 228);
        for (const QString &symbol : symbols)
            QVERIFY2(symbol.startsWith("u_ResourceStrings_s"), qPrintable(symbol));
        // Linked against nothing: no library of the program's, not even Qt.
        QProcess readelf;
        readelf.start(QStandardPaths::findExecutable("readelf"), {"-d", TranslationLibrary});
        QVERIFY(readelf.waitForFinished(10000));
        QVERIFY(!readelf.readAllStandardOutput().contains("(NEEDED)"));
    }

    void moduleNamesByLanguage()
    {
        QCOMPARE(TranslationModuleNames(French), (QStringList{"quillo.fra", "quillo.fr"}));
        QCOMPARE(TranslationModuleNames(QLocale(QLocale::German, QLocale::Austria)), (QStringList{"quillo.deu", "quillo.de"}));
        QCOMPARE(TranslationModuleNames(QLocale::c()), QStringList());
    }

    void whatIsNotAModuleLeavesTheEnglishTexts()
    {
        QVERIFY(!LoadTranslationModule(BuildDir, QLocale(QLocale::German)));
        QTemporaryDir folder;
        QFile bogus(folder.filePath("quillo.de"));
        QVERIFY(bogus.open(QIODevice::WriteOnly));
        bogus.write("not a library");
        bogus.close();
        QVERIFY(!LoadTranslationModule(folder.path(), QLocale(QLocale::German)));
        QCOMPARE(ResString(TResId::sFFormBeginFile_Caption), QStringLiteral("&File"));
    }

    void threeLetterModuleComesFirst()
    {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(TranslationLibrary, folder.filePath("quillo.fra")));
        QVERIFY(QFile::copy(FrenchModule, folder.filePath("quillo.fr")));
        QVERIFY(LoadTranslationModule(folder.path(), French));
        QCOMPARE(ResString(TResId::sFFormBeginFile_Caption), QStringLiteral("&File"));
    }

    void frenchModuleChangesTheTexts()
    {
        QVERIFY(LoadTranslationModule(BuildDir, French));
        QCOMPARE(ResString(TResId::sFFormBeginFile_Caption), QStringLiteral("&Fichier"));
        QCOMPARE(ResString(TResId::sFAboutBoxCaption), QStringLiteral("À propos"));
        QCOMPARE(ResString(TResId::sFTransferingFilelblOctesTransferesCaption), QStringLiteral("Octets transférés :"));
        QCOMPARE(ResString(TResId::sXViewFileType), QStringLiteral("Fichier XView"));
        // A window text the module lacks is empty; a message of the program's own stays readable.
        const QString missing = ResString(TResId::sFFormBeginRightEdge22ButtonHint);
        QVERIFY(missing.isEmpty() && !missing.isNull());
        QCOMPARE(ResString(TResId::sComPortItem), ResDefaultString(TResId::sComPortItem));
        // Qt's own dialog texts come in the same language.
        LoadQtTranslation(*QCoreApplication::instance(), French);
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Voir dans :"));
    }

    void frenchWindowsKeepTheTwoTitles()
    {
        QDialog transfer;
        transfer.setWindowTitle(QStringLiteral("Transfer"));
        auto *tabs = new QTabWidget(&transfer);
        auto *page = new QWidget;
        page->setObjectName(QStringLiteral("OngletTransfer"));
        tabs->addTab(page, QStringLiteral("x"));
        TranslateFTransferForm(&transfer);
        QCOMPARE(transfer.windowTitle(), QStringLiteral("Transfer"));
        QCOMPARE(tabs->tabText(0), QStringLiteral("Transfert"));

        QDialog options;
        options.setWindowTitle(QStringLiteral("Quillo options"));
        TranslateFQuilloOptions(&options);
        QCOMPARE(options.windowTitle(), QStringLiteral("Quillo options"));

        QWidget main;
        auto *edge = new QToolButton(&main);
        edge->setObjectName(QStringLiteral("RightEdge22Button"));
        edge->setToolTip(QStringLiteral("old"));
        TranslateFFormBegin(&main);
        QCOMPARE(edge->toolTip(), QString());
    }
};

QTEST_MAIN(TestTranslationModule)
#include "tst_translationmodule.moc"
