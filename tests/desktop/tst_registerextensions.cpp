// File-type registration with the desktop, always into temporary XDG folders.
#include "u_registerextensions.h"
#include "u_registerextensionsHP.h"

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString AppPath = QStringLiteral("/opt/quillo/quillo");

QByteArray ReadAll(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &Path, const QByteArray &Content)
{
    QDir().mkpath(QFileInfo(Path).path());
    QFile file(Path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Content);
}

// Every file under Folder with its content, by path relative to Folder.
QMap<QString, QByteArray> Snapshot(const QString &Folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(Folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(Folder).relativeFilePath(path)] = ReadAll(path);
    }
    return files;
}
} // namespace

class TestRegisterExtensions : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FHome;
    QString Data() const { return FHome->path() + QStringLiteral("/data"); }
    QString Config() const { return FHome->path() + QStringLiteral("/config"); }
    QString System() const { return FHome->path() + QStringLiteral("/system"); }
    QString Package(const QString &Ext) const { return Data() + QStringLiteral("/mime/packages/quillo-%1.xml").arg(Ext); }
    QString Entry() const { return Data() + QStringLiteral("/applications/quillo.desktop"); }
    QString MimeApps() const { return Config() + QStringLiteral("/mimeapps.list"); }

private slots:
    void init()
    {
        FHome = std::make_unique<QTemporaryDir>();
        QVERIFY(FHome->isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(Data()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Config()));
        // The machine's own system folders stay out: a Quillo installed there would skip the registration.
        qputenv("XDG_DATA_DIRS", QFile::encodeName(System()));
        QCOMPARE(Tregisterext::DefaultDataHome(), Data());
    }

    void startRegistersTheFiveTypes()
    {
        QVERIFY(RegisterFileTypes(AppPath, false));

        const QString tgv = QString::fromUtf8(ReadAll(Package("tgv")));
        QVERIFY(tgv.contains("type=\"application/x-quillo-tgvfile\""));
        QVERIFY(tgv.contains("<comment>Tgv HP48 File</comment>"));
        QVERIFY(tgv.contains("pattern=\"*.tgv\""));
        QVERIFY(ReadAll(Package("hp49")).contains("<comment>HP49 File</comment>"));
        QVERIFY(ReadAll(Package("eden")).contains("<comment>Eden File</comment>"));
        QVERIFY(ReadAll(Package("xv")).contains("<comment>XView File</comment>"));

        // T49 is its own type with the TGV document icon.
        QVERIFY(ReadAll(Package("t49")).contains("<comment>Tgv HP49 File</comment>"));
        const QString icons = Data() + "/icons/hicolor/scalable/mimetypes/";
        const QByteArray tgvIcon = ReadAll(icons + "application-x-quillo-tgvfile.svg");
        QVERIFY(tgvIcon.startsWith("<svg"));
        QCOMPARE(ReadAll(icons + "application-x-quillo-t49file.svg"), tgvIcon);
        QVERIFY(ReadAll(icons + "application-x-quillo-xvfile.svg") != tgvIcon);
        QVERIFY(QFile::exists(Data() + "/icons/hicolor/scalable/apps/quillo.svg"));

        // One entry starts the program with the files, for all five types.
        const QString entry = QString::fromUtf8(ReadAll(Entry()));
        QVERIFY2(entry.contains("\nExec=\"/opt/quillo/quillo\" %F\n"), qPrintable(entry));
        QVERIFY(entry.contains("\nTryExec=/opt/quillo/quillo\n"));
        QVERIFY(entry.contains("\nName=Quillo\n"));
        QVERIFY(entry.contains("\nMimeType=application/x-quillo-edenfile;application/x-quillo-hp49file;"
                               "application/x-quillo-t49file;application/x-quillo-tgvfile;application/x-quillo-xvfile;\n"));
        const QString defaults = QString::fromUtf8(ReadAll(MimeApps()));
        for (const char *type : {"xv", "tgv", "eden", "t49", "hp49"})
            QVERIFY(defaults.contains(QStringLiteral("application/x-quillo-%1file=quillo.desktop;\n").arg(type)));

        Tregisterext registry("quillo", "Quillo", Data(), Config());
        QCOMPARE(registry.ProgIdKeyOf("T49"), QStringLiteral("\\T49file"));
        QCOMPARE(registry.ProgIdKeyOf("DOC"), QString());
    }

    void runningTwiceLeavesTheSameFilesUntouched()
    {
        RegisterFileTypes(AppPath, false);
        const QMap<QString, QByteArray> once = Snapshot(FHome->path());
        const QDateTime written = QFileInfo(Entry()).lastModified();
        QTest::qWait(20);
        QVERIFY(!RegisterFileTypes(AppPath, false));
        QCOMPARE(Snapshot(FHome->path()), once);
        QCOMPARE(QFileInfo(Entry()).lastModified(), written);
    }

    void aChangedRegistrationIsRestoredAndForeignLinesKept()
    {
        WriteAll(MimeApps(), "# mine\n[Added Associations]\ntext/plain=gedit.desktop;\n\n[Default Applications]\n"
                             "text/plain=gedit.desktop;\napplication/x-quillo-tgvfile=other.desktop;\n");
        RegisterFileTypes(AppPath, false);
        // Another program took the extension and the default verb in between.
        WriteAll(Package("tgv"), "<mime-info/>");
        {
            Tregisterext registry("quillo", "Quillo", Data(), Config());
            registry.RegisterVerb("XV", "Edit", "\"/usr/bin/vi\" \"%1\"", true, QString(), QString(), QString(), QString());
        }
        QVERIFY(ReadAll(MimeApps()).contains("application/x-quillo-xvfile=quillo-edit.desktop;"));

        QVERIFY(RegisterFileTypes(AppPath, false));
        const QString defaults = QString::fromUtf8(ReadAll(MimeApps()));
        QVERIFY2(defaults.startsWith("# mine\n[Added Associations]\ntext/plain=gedit.desktop;\n\n[Default Applications]\n"
                                    "text/plain=gedit.desktop;\n"), qPrintable(defaults));
        // The user's own choice of another program stays; a default of ours is made the Open verb again.
        QVERIFY(defaults.contains("application/x-quillo-tgvfile=other.desktop;\n"));
        QVERIFY(defaults.contains("application/x-quillo-xvfile=quillo.desktop;\n"));
        QVERIFY(ReadAll(Package("tgv")).contains("<comment>Tgv HP48 File</comment>"));
        // The whole type was registered afresh, so the other verb went with it.
        QVERIFY(!QFile::exists(Data() + "/applications/quillo-edit.desktop"));
    }

    void theUsersDefaultsSurviveEveryStart()
    {
        WriteAll(MimeApps(), "[Default Applications]\napplication/x-quillo-xvfile=other.desktop;quillo.desktop;\n"
                             "application/x-quillo-edenfile=quillo.desktop;viewer.desktop;\n");
        RegisterFileTypes(AppPath, false);
        RegisterFileTypes(AppPath, false);
        const QString defaults = QString::fromUtf8(ReadAll(MimeApps()));
        QVERIFY2(defaults.contains("application/x-quillo-xvfile=other.desktop;quillo.desktop;\n"), qPrintable(defaults));
        QVERIFY(defaults.contains("application/x-quillo-edenfile=quillo.desktop;viewer.desktop;\n"));
        QVERIFY(defaults.contains("application/x-quillo-tgvfile=quillo.desktop;\n"));
    }

    void anInstalledPackageMakesTheUsersRegistrationNeedless()
    {
        const QString system = System();
        QStringList types;
        for (const char *ext : {"xv", "tgv", "eden", "t49", "hp49"})
            types << QStringLiteral("application/x-quillo-%1file").arg(ext);
        QByteArray package = "<mime-info>";
        for (const QString &type : types.mid(1))
            package += "<mime-type type=\"" + type.toUtf8() + "\"/>";
        WriteAll(system + "/mime/packages/quillo.xml", package);
        WriteAll(system + "/applications/quillo.desktop", "[Desktop Entry]\nMimeType=" + types.join(';').toUtf8() + ";\n");
        // One type the system does not define yet: the user's own registration is still needed.
        QVERIFY(!SystemMapsFileTypes("quillo"));
        WriteAll(system + "/mime/packages/quillo.xml", package + "<mime-type type=\"" + types[0].toUtf8() + "\"/>");
        QVERIFY(SystemMapsFileTypes("quillo"));
        QVERIFY(!RegisterFileTypes(AppPath, false));
        QVERIFY(!QFileInfo::exists(Data()));
    }

    void verbsAndUnregistering()
    {
        {
            Tregisterext registry("quillo", "Quillo", Data(), Config());
            // Nothing happens for an extension that is not registered.
            registry.RegisterVerb("XV", "Open", "\"/x\"", true, QString(), QString(), QString(), QString());
            registry.RegisterExtension("XV", "application/x-xview", "XView File", QString(), true);
            registry.RegisterExtension("TGV", QString(), "Tgv HP48 File", QString(), true);
            registry.RegisterVerb("XV", "Open", "\"/opt/my $dir/quillo\" \"%1\"", true, QString(), QString(), QString(), QString());
            registry.RegisterVerb("TGV", "Open", "\"/opt/my $dir/quillo\" \"%1\"", true, QString(), QString(), QString(), QString());
            registry.RegisterVerb("XV", "Print", "\"/opt/quillo/quillo\" --print \"%1\"", false, QString(), QString(), QString(), QString());
            registry.Flush();
        }
        QVERIFY(ReadAll(Package("xv")).contains("<alias type=\"application/x-xview\"/>"));
        const QString entry = QString::fromUtf8(ReadAll(Entry()));
        // The desktop's own quoting: "$" escaped inside the quotes, and the backslash itself escaped
        // once more in the entry's string.
        QVERIFY2(entry.contains("\nExec=\"/opt/my \\\\$dir/quillo\" %f\n"), qPrintable(entry));
        const QString print = QString::fromUtf8(ReadAll(Data() + "/applications/quillo-print.desktop"));
        QVERIFY(print.contains("\nNoDisplay=true\n"));
        QVERIFY(print.contains("\nExec=\"/opt/quillo/quillo\" \"--print\" %f\n"));
        QVERIFY(!ReadAll(MimeApps()).contains("quillo-print.desktop"));

        {
            Tregisterext registry("quillo", "Quillo", Data(), Config());
            registry.RemoveVerb("XV", "Print");
            registry.UnregisterExtension("XV");
        }
        QVERIFY(!QFile::exists(Data() + "/applications/quillo-print.desktop"));
        QVERIFY(!QFile::exists(Package("xv")));
        QVERIFY(!ReadAll(Entry()).contains("xvfile"));
        QVERIFY(!ReadAll(MimeApps()).contains("xvfile"));
        QVERIFY(ReadAll(MimeApps()).contains("application/x-quillo-tgvfile=quillo.desktop;"));

        {
            Tregisterext registry("quillo", "Quillo", Data(), Config());
            registry.UnregisterExtension("TGV");
        }
        // Nothing of the program's is left; mimeapps.list stays, as the user's own file.
        const QMap<QString, QByteArray> left = Snapshot(FHome->path());
        QCOMPARE(left.keys(), QStringList{"config/mimeapps.list"});
        QCOMPARE(left.first(), QByteArray("[Default Applications]\n"));
    }

    void whatCannotBeWrittenIsSkipped()
    {
        // A file where the folders should be: no one, not even an administrator, can write below it.
        WriteAll(Data() + "/mime", "in the way");
        WriteAll(Data() + "/icons", "in the way");
        QVERIFY(RegisterFileTypes(AppPath, false));
        QVERIFY(QFile::exists(Entry()));
        QCOMPARE(ReadAll(Data() + "/mime"), QByteArray("in the way"));
    }

    void theDesktopToolsAcceptTheFiles()
    {
        const QString update = QStandardPaths::findExecutable("update-mime-database");
        if (update.isEmpty())
            QFAIL("update-mime-database is not installed (shared-mime-info)");
        RegisterFileTypes(AppPath, false);
        QProcess tool;
        tool.start(update, {Data() + "/mime"});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        const QByteArray globs = ReadAll(Data() + "/mime/globs2");
        QVERIFY2(globs.contains("60:application/x-quillo-tgvfile:*.tgv"), globs.constData());
        QVERIFY(globs.contains("60:application/x-quillo-t49file:*.t49"));
        QVERIFY(ReadAll(Data() + "/mime/icons").contains("application/x-quillo-tgvfile:application-x-quillo-tgvfile"));
    }
};

QTEST_GUILESS_MAIN(TestRegisterExtensions)
#include "tst_registerextensions.moc"
