// The settings store: defaults of an empty store, values that are not numbers, the text form of
// what is written, erasing sections, and values surviving from one run to the next.
#include "u_Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace SettingsKeys;

class TestSettings : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    QString IniPath() const { return FDir.filePath(QTest::currentTestFunction() + QStringLiteral(".ini")); }

private slots:
    void emptyStoreGivesTheDefaults_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("fallback");
        QTest::addColumn<QString>("expected");
        QTest::newRow("window height") << WindowSection << Height << QVariant(DefaultHeight) << "475";
        QTest::newRow("window width") << WindowSection << Width << QVariant(DefaultWidth) << "804";
        QTest::newRow("window state") << WindowSection << WindowState << QVariant(DefaultWindowState) << "0";
        QTest::newRow("XView tab") << XViewSection << TabLength << QVariant(DefaultTabLength) << "4";
        QTest::newRow("XView font") << XViewSection << DefaultFont << QVariant(DefaultXVFontName) << "XVDefault";
        QTest::newRow("XView edge") << XViewSection << RightEdge << QVariant(DefaultRightEdge) << "22";
        QTest::newRow("TGV normal font") << TgvSection << DefaultNormalFont << QVariant(DefaultTgvNormalFontName) << "tgvnormal";
        QTest::newRow("TGV font 1") << TgvSection << DefaultFont1 << QVariant(DefaultTgvFont1Name) << "tgvfnt1";
        QTest::newRow("TGV mini font") << TgvSection << DefaultMiniFont << QVariant(DefaultTgvMiniFontName) << "tgvmini";
        QTest::newRow("port") << TransferSection << ComPort << QVariant(DefaultComPort) << "1";
        QTest::newRow("speed") << TransferSection << Speed << QVariant(DefaultSpeed) << "0";
        QTest::newRow("calculator") << TransferSection << Calculator << QVariant(DefaultCalculator) << "0";
    }
    void emptyStoreGivesTheDefaults()
    {
        QFETCH(QString, section);
        QFETCH(QString, name);
        QFETCH(QVariant, fallback);
        QFETCH(QString, expected);
        TSettings store(IniPath());
        QVERIFY(!store.ValueExists(section, name));
        const QString read = fallback.typeId() == QMetaType::Int
            ? QString::number(store.ReadInteger(section, name, fallback.toInt()))
            : store.ReadString(section, name, fallback.toString());
        QCOMPARE(read, expected);
    }

    void integersThatAreNotNumbers_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("read");
        QTest::newRow("a number") << "8" << 8;
        QTest::newRow("negative") << "-3" << -3;
        QTest::newRow("blanks around") << " 7 " << 7;
        QTest::newRow("letters") << "abc" << 4;
        QTest::newRow("number then letters") << "12abc" << 4;
        QTest::newRow("empty") << "" << 4;
        QTest::newRow("hexadecimal") << "0x10" << 4;
        QTest::newRow("decimal point") << "4.5" << 4;
        QTest::newRow("too large") << "99999999999" << 4;
    }
    void integersThatAreNotNumbers()
    {
        QFETCH(QString, stored);
        QFETCH(int, read);
        TSettings store(IniPath());
        store.WriteString(XViewSection, TabLength, stored);
        QCOMPARE(store.ReadInteger(XViewSection, TabLength, DefaultTabLength), read);
    }

    void booleans_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("defaultValue");
        QTest::addColumn<bool>("read");
        QTest::newRow("one") << "1" << false << true;
        QTest::newRow("zero") << "0" << true << false;
        QTest::newRow("any other number") << "-2" << false << true;
        QTest::newRow("word, default true") << "yes" << true << true;
        QTest::newRow("word, default false") << "true" << false << false;
    }
    void booleans()
    {
        QFETCH(QString, stored);
        QFETCH(bool, defaultValue);
        QFETCH(bool, read);
        TSettings store(IniPath());
        store.WriteString(QStringLiteral("Toolbar1"), Visible, stored);
        QCOMPARE(store.ReadBool(QStringLiteral("Toolbar1"), Visible, defaultValue), read);
        QCOMPARE(store.ReadBool(QStringLiteral("Toolbar1"), DockRow, defaultValue), defaultValue);
    }

    void valuesAreStoredAsText()
    {
        {
            TSettings store(IniPath());
            store.WriteInteger(WindowSection, WindowState, 2);
            store.WriteBool(QStringLiteral("Toolbar1"), Visible, false);
            store.WriteString(NoSection, OpenSavePath, QStringLiteral("/home/user/calc/"));
            QCOMPARE(store.ReadString(WindowSection, WindowState, QString()), QStringLiteral("2"));
            QCOMPARE(store.ReadString(QStringLiteral("Toolbar1"), Visible, QString()), QStringLiteral("0"));
        }
        // The next run finds them: a window maximised at the end of one run opens maximised.
        TSettings next(IniPath());
        QCOMPARE(next.ReadInteger(WindowSection, WindowState, DefaultWindowState), 2);
        QCOMPARE(next.ReadInteger(WindowSection, Height, DefaultHeight), DefaultHeight);
        QCOMPARE(next.ReadString(NoSection, OpenSavePath, QString()), QStringLiteral("/home/user/calc/"));
    }

    void textsWithCommasComeBackWhole()
    {
        const QString path = QStringLiteral("/home/user/a, b/notes.xv");
        {
            TSettings store(IniPath());
            store.WriteString(MRUSection, MRUValue(0), path);
        }
        QCOMPARE(TSettings(IniPath()).ReadString(MRUSection, MRUValue(0), QString()), path);

        // A hand-edited file need not quote them.
        QFile f(IniPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[MRU%20Items]\nF0=/home/user/a,b/notes.xv\n");
        f.close();
        QCOMPARE(TSettings(IniPath()).ReadString(MRUSection, MRUValue(0), QString()), QStringLiteral("/home/user/a,b/notes.xv"));
    }

    void erasingASectionKeepsTheRest()
    {
        TSettings store(IniPath());
        for (int i = 0; i < 3; ++i)
            store.WriteString(MRUSection, MRUValue(i), QStringLiteral("/f%1.xv").arg(i));
        store.WriteInteger(WindowSection, Width, 900);
        store.WriteString(NoSection, OpenSavePath, QStringLiteral("/tmp/"));

        store.EraseSection(MRUSection);
        QVERIFY(!store.ValueExists(MRUSection, MRUValue(0)));
        QVERIFY(!store.ValueExists(MRUSection, MRUValue(2)));
        QCOMPARE(store.ReadInteger(WindowSection, Width, DefaultWidth), 900);

        // "Height/Width" is one section even though its name holds a slash.
        store.WriteInteger(WindowSection, Height, 500);
        store.EraseSection(WindowSection);
        QVERIFY(!store.ValueExists(WindowSection, Height));
        QVERIFY(store.ValueExists(NoSection, OpenSavePath));

        // Erasing the values that stand directly in the store leaves the sections alone.
        store.WriteInteger(XViewSection, TabLength, 8);
        store.EraseSection(NoSection);
        QVERIFY(!store.ValueExists(NoSection, OpenSavePath));
        QCOMPARE(store.ReadInteger(XViewSection, TabLength, DefaultTabLength), 8);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
