// The Debian package: built from this build tree into a scratch folder, unpacked into a scratch root
// (never into this machine's /usr), checked for its files, run from there, and validated by the
// desktop's own tools.
#include "u_registerextensionsHP.h"

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct TRun {
    int Code = -1;
    QString Output;
};

TRun Run(const QString &Program, const QStringList &Arguments, const QProcessEnvironment &Environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(Environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(Program, Arguments);
    if (!process.waitForFinished(240000)) {
        process.kill();
        process.waitForFinished();
        return {-1, QStringLiteral("%1 did not finish").arg(Program)};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromLocal8Bit(process.readAll())};
}

QString Tool(const char *Name)
{
    return QStandardPaths::findExecutable(QLatin1String(Name));
}
} // namespace

class TestPackage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FWork;
    QString FRoot;
    QString FPackage;

private slots:
    void initTestCase()
    {
        QVERIFY(FWork.isValid());
        const QString output = FWork.filePath("out");
        const TRun cpack = Run(Tool("cpack"), {"-G", "DEB", "--config", QUILLO_BUILD_DIR "CPackConfig.cmake", "-B", output});
        QVERIFY2(cpack.Code == 0, qPrintable(cpack.Output));
        FPackage = output + "/quillo_3.70~beta-1_" + Run("dpkg", {"--print-architecture"}).Output.trimmed() + ".deb";
        QVERIFY2(QFileInfo::exists(FPackage), qPrintable(cpack.Output));
        FRoot = FWork.filePath("root");
        const TRun unpack = Run("dpkg-deb", {"-x", FPackage, FRoot});
        QVERIFY2(unpack.Code == 0, qPrintable(unpack.Output));
    }

    void holdsEverythingAnInstalledProgramNeeds()
    {
        for (const char *path : {"usr/bin/quillo", "usr/lib/quillo/translations/libtranslation.so", "usr/lib/quillo/translations/quillo.fr",
                                 "usr/share/quillo/fonts/tgvnormal.fnt", "usr/share/quillo/fonts/tgvmini.fnt",
                                 "usr/share/quillo/help/index.html", "usr/share/applications/quillo.desktop",
                                 "usr/share/mime/packages/quillo.xml", "usr/share/metainfo/org.quillo.Quillo.metainfo.xml",
                                 "usr/share/man/man1/quillo.1.gz", "usr/share/doc/quillo/copyright",
                                 "usr/share/icons/hicolor/scalable/apps/quillo.svg",
                                 "usr/share/icons/hicolor/16x16/apps/quillo.png", "usr/share/icons/hicolor/256x256/apps/quillo.png",
                                 "usr/share/icons/hicolor/48x48/mimetypes/application-x-quillo-t49file.png"})
            QVERIFY2(QFileInfo::exists(FRoot + '/' + path), path);
        // Nothing lands outside /usr, and the build tree's layout does not leak in.
        QCOMPARE(QDir(FRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"usr"});
        QVERIFY(!QFileInfo::exists(FRoot + "/usr/fonts"));

        const TRun fields = Run("dpkg-deb", {"-f", FPackage, "Depends"});
        QVERIFY2(fields.Output.contains("libqt6widgets6") && fields.Output.contains("qt6-qpa-plugins"), qPrintable(fields.Output));
    }

    void theInstalledProgramFindsItsFontsAndTranslation()
    {
        QTemporaryDir work;
        QFile document(work.filePath("note.xv"));
        QVERIFY(document.open(QIODevice::WriteOnly));
        document.write("%%HP: T(3)A(R)F(.);\n\"Hello\"\n");
        document.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        const QString program = FRoot + "/usr/bin/quillo";
        // The fonts come from share/quillo: without them the picture could not be drawn.
        const TRun render = Run(program, {"--render", work.filePath("note.xv"), work.filePath("note.png")}, environment);
        QVERIFY2(render.Code == 0 && QFileInfo(work.filePath("note.png")).size() > 0, qPrintable(render.Output));
        // The French module comes from lib/quillo/translations.
        environment.insert("LANGUAGE", "fr");
        environment.insert("LANG", "fr_FR.UTF-8");
        environment.insert("LC_ALL", "fr_FR.UTF-8");
        const TRun missing = Run(program, {"--convert", work.filePath("absent.xv"), work.filePath("out.xv")}, environment);
        QCOMPARE(missing.Code, 1);
        QVERIFY2(missing.Output.contains("Erreur de chargement"), qPrintable(missing.Output));
        const TRun help = Run(program, {"--help"}, environment);
        QVERIFY2(help.Output.startsWith("Utilisation"), qPrintable(help.Output));
    }

    void theDesktopToolsAcceptItsFiles()
    {
        // Each check runs where its tool is installed (the setup installs them all).
        QStringList missing;
        const auto present = [&missing](const char *Name) {
            if (Tool(Name).isEmpty())
                missing << QLatin1String(Name);
            return !Tool(Name).isEmpty();
        };
        if (present("desktop-file-validate")) {
            const TRun desktop = Run(Tool("desktop-file-validate"), {FRoot + "/usr/share/applications/quillo.desktop"});
            QVERIFY2(desktop.Code == 0 && desktop.Output.trimmed().isEmpty(), qPrintable(desktop.Output));
        }
        if (present("appstreamcli")) {
            const TRun metainfo = Run(Tool("appstreamcli"), {"validate", "--no-net", FRoot + "/usr/share/metainfo/org.quillo.Quillo.metainfo.xml"});
            QVERIFY2(metainfo.Code == 0, qPrintable(metainfo.Output));
        }
        if (present("update-mime-database")) {
            const QString mime = FWork.filePath("mime");
            QVERIFY(QDir().mkpath(mime + "/packages"));
            QVERIFY(QFile::copy(FRoot + "/usr/share/mime/packages/quillo.xml", mime + "/packages/quillo.xml"));
            // The scratch folder stands as the user's data folder, so the tool has nothing to remark on.
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("XDG_DATA_HOME", FWork.path());
            const TRun database = Run(Tool("update-mime-database"), {mime}, environment);
            QVERIFY2(database.Code == 0 && database.Output.trimmed().isEmpty(), qPrintable(database.Output));
            QVERIFY(QFile(mime + "/globs2").open(QIODevice::ReadOnly));
        }
        if (present("lintian")) {
            // A package made outside the Debian archive closes no bug of it.
            const TRun lintian = Run(Tool("lintian"), {"--fail-on", "error,warning", "--suppress-tags",
                                                       "initial-upload-closes-no-bugs", FPackage});
            QVERIFY2(lintian.Code == 0, qPrintable(lintian.Output));
        }
        if (!missing.isEmpty())
            QSKIP(qPrintable(QStringLiteral("not installed, so not checked: ") + missing.join(QStringLiteral(", "))));
    }

    void anInstalledPackageSparesTheUsersRegistration()
    {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(FRoot + "/usr/share"));
        QVERIFY(SystemMapsFileTypes("quillo"));
        QVERIFY(!RegisterFileTypes(FRoot + "/usr/bin/quillo", false));
        QVERIFY(!QFileInfo::exists(home.filePath("data")));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
