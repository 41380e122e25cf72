// quillo --send as a script uses it: files reach a real Kermit server intact, and every failure
// ends in bounded time with the program's message on standard error and exit status 1 (2 for a
// usage error).
#include "helper_KermitServer.h"
#include "helper_ScriptedPeer.h"
#include "helper_TgvDocument.h"
#include "u_CalculatorFile.h"
#include "u_ResourceStrings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {
QByteArray ReadAll(const QString &Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

struct TRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
    qint64 Ms = 0;
};
} // namespace

class TestSendCommand : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void filesArriveIntact();
    void portNumberAndModelFromSettings();
    void usageErrors_data();
    void usageErrors();
    void failures_data();
    void failures();
    void silentLine();
    void remoteNameAndProtocolOptions();
    void calculatorFailsMidFile_data();
    void calculatorFailsMidFile();
    void getFilesFromServer();
    void getRefusals_data();
    void getRefusals();

private:
    TRun Quillo(const QStringList &Arguments) { return Run(QStringList{"--send"} + Arguments); }
    TRun Run(const QStringList &Arguments);
    QString WriteFile(const QString &Name, const QByteArray &Data);
    QTemporaryDir FHome;
    QTemporaryDir FFiles;
};

void TestSendCommand::initTestCase()
{
    QVERIFY2(QFile::exists(QUILLO_BUILD_DIR "quillo"), "the program is not built");
    QVERIFY(FHome.isValid() && FFiles.isValid());
    QVERIFY(QDir(FHome.path()).mkpath("config/Quillo"));
    QVERIFY(QDir(FHome.path()).mkpath("runtime"));
    QFile::setPermissions(FHome.filePath("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TRun TestSendCommand::Run(const QStringList &Arguments)
{
    // A settings store of its own, so that the user's is neither read nor changed.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", FHome.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", FHome.filePath("runtime"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    p.start(QUILLO_BUILD_DIR "quillo", Arguments);
    TRun run;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.Ms = clock.elapsed();
    run.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Out = QString::fromLocal8Bit(p.readAllStandardOutput());
    run.Err = QString::fromLocal8Bit(p.readAllStandardError());
    return run;
}

QString TestSendCommand::WriteFile(const QString &Name, const QByteArray &Data)
{
    const QString path = FFiles.filePath(Name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(Data) != Data.size())
        qFatal("cannot write a test file");
    return path;
}

void TestSendCommand::filesArriveIntact()
{
    TKermitServer server;
    QString error;
    QVERIFY2(server.Start(error), qPrintable(error));
    QByteArray binary;
    for (int i = 0; i < 20000; ++i)
        binary.append(char((i * 7919) >> 3));
    const QByteArray notes("%%HP: T(3)A(R)F(.);\r\n\"Notes \x8D\"");
    const QString tgv = WriteFile("LETTER.TGV", TgvDocument());
    const QString xv = WriteFile("NOTES.XV", notes);
    const QString bin = WriteFile("BLOB.BIN", binary);

    const TRun run = Quillo({tgv, xv, bin, "--port", server.SenderDevice(), "--calculator", "hp49"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    QCOMPARE(server.Received("LETTER.TGV"), "HPHP49-X" + TgvDocument().mid(8));
    QCOMPARE(server.Received("NOTES.XV"), notes);
    QCOMPARE(server.Received("BLOB.BIN"), binary);
    // One progress line per file, ending with every byte sent.
    QVERIFY2(run.Out.contains(ResString(TResId::sFile) + "BLOB.BIN"), qPrintable(run.Out));
    QVERIFY(run.Out.contains(ResString(TResId::sBytesTransferred) + "20000/20000"));
    QVERIFY(run.Err.isEmpty());
}

void TestSendCommand::portNumberAndModelFromSettings()
{
    // "COM 7" stands for the device the settings name; the model is the one last used.
    TKermitServer server;
    QString error;
    QVERIFY2(server.Start(error), qPrintable(error));
    QFile ini(FHome.filePath("config/Quillo/Quillo.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[transfer]\nDevice7=" + server.SenderDevice().toUtf8() + "\ncalculator=1\n");
    ini.close();
    const QString tgv = WriteFile("MODEL.TGV", TgvDocument());
    const TRun run = Quillo({tgv, "--port", "7"});
    QFile::remove(ini.fileName());
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    QVERIFY(server.Received("MODEL.TGV").startsWith("HPHP49-X"));
}

void TestSendCommand::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no file") << QStringList{"--port", "1"} << ResString(TResId::sSendNeedsFiles);
    QTest::newRow("no port") << QStringList{"a.xv"} << ResString(TResId::sSendNeedsPort);
    QTest::newRow("port without value") << QStringList{"a.xv", "--port"}
                                        << ResString(TResId::sSendNeedsValue).arg("--port");
    QTest::newRow("unknown model") << QStringList{"a.xv", "--port", "1", "--calculator", "hp50"}
                                   << ResString(TResId::sSendBadCalculator).arg("hp50");
    QTest::newRow("unknown option") << QStringList{"a.xv", "--port", "1", "--speed", "15360"}
                                    << ResString(TResId::sSendBadOption).arg("--speed");
    QTest::newRow("unknown block check") << QStringList{"a.xv", "--port", "1", "--block-check", "4"}
                                         << ResString(TResId::sSendBadBlockCheck).arg("4");
    QTest::newRow("one name for two files") << QStringList{"a.xv", "b.xv", "--port", "1", "--as", "A"}
                                            << ResString(TResId::sSendAsNeedsOneFile);
}

void TestSendCommand::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const TRun run = Quillo(arguments);
    QCOMPARE(run.ExitCode, 2);
    QVERIFY2(run.Err.contains(message), qPrintable(run.Err));
}

void TestSendCommand::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    // Files that cannot go are refused with the reason before the port, which does not exist here,
    // is even looked at; a pipe must not make the program wait for a writer.
    const auto refused = [](const QString &Path, TResId Reason) {
        return ResString(TResId::sCannotOpenFile).arg(Path) + '\n' + ResString(Reason);
    };
    const QString missing = FFiles.filePath("MISSING.XV");
    const QString pipe = FFiles.filePath("PIPE.XV");
    QVERIFY(QFile::exists(pipe) || ::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    const QString big = FFiles.filePath("HUGE.BIN");
    QVERIFY(QFile(big).open(QIODevice::WriteOnly) && QFile::resize(big, LargestCalculatorFile + 1));
    const QString port = "/dev/quillo-no-such-port";
    QTest::newRow("missing file") << QStringList{missing, "--port", port} << refused(missing, TResId::sFileDoesNotExist);
    QTest::newRow("a folder for a file") << QStringList{FFiles.path(), "--port", port}
                                         << refused(FFiles.path(), TResId::sNotRegularFolder);
    QTest::newRow("a named pipe") << QStringList{pipe, "--port", port} << refused(pipe, TResId::sNotRegularPipe);
    QTest::newRow("a device that never ends") << QStringList{"/dev/zero", "--port", port}
                                              << refused("/dev/zero", TResId::sNotRegularDevice);
    QTest::newRow("a file no calculator can hold") << QStringList{big, "--port", port}
                                                   << refused(big, TResId::sFileTooLargeForCalculator);
    // A name the calculator would receive altered is refused before the port is looked at.
    QTest::newRow("a name with a character the calculator lacks")
        << QStringList{QUILLO_SOURCE_DIR "CMakeLists.txt", "--port", port, "--as", "PRICE€"}
        << ResString(TResId::sNameBadCharacter).arg("PRICE€", "€");
    QTest::newRow("a name too long for a packet")
        << QStringList{QUILLO_SOURCE_DIR "CMakeLists.txt", "--port", port, "--as", QString(90, 'N')}
        << ResString(TResId::sNameTooLong).arg(QString(90, 'N'));
    const QString noDevice = "/dev/quillo-no-such-port";
    QTest::newRow("no such device") << QStringList{QUILLO_SOURCE_DIR "CMakeLists.txt", "--port", noDevice}
                                    << ResString(TResId::sPortHandleInvalid) + '\n'
                                           + ResString(TResId::sPortCannotOpen).arg(noDevice, std::strerror(ENOENT));
    QTest::newRow("a plain file for a device") << QStringList{QUILLO_SOURCE_DIR "CMakeLists.txt", "--port", QUILLO_SOURCE_DIR "CMakeLists.txt"}
                                               << ResString(TResId::sPortHandleInvalid) + '\n'
                                                      + ResString(TResId::sPortNotSerial).arg(QUILLO_SOURCE_DIR "CMakeLists.txt");
}

void TestSendCommand::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const TRun run = Quillo(arguments);
    QCOMPARE(run.ExitCode, 1);
    QCOMPARE(run.Err.trimmed(), message);
}

void TestSendCommand::silentLine()
{
    // A cable with nothing at the other end.
    TKermitServer cable;
    QString error;
    QVERIFY2(cable.Start(error, false), qPrintable(error));
    // Two tries of one read limit each.
    QFile ini(FHome.filePath("config/Quillo/Quillo.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[transfer]\nTries=2\n");
    ini.close();
    const TRun run = Quillo({WriteFile("QUIET.XV", "x"), "--port", cable.SenderDevice()});
    QFile::remove(ini.fileName());
    QCOMPARE(run.ExitCode, 1);
    QCOMPARE(run.Err.trimmed(), ResString(TResId::sCannotConnect) + '\n' + ResString(TResId::sNoAnswerHint));
    QVERIFY2(run.Ms > 3800 && run.Ms < 8000, qPrintable(QString::number(run.Ms)));
}

void TestSendCommand::remoteNameAndProtocolOptions()
{
    // --as names the file on the calculator: prefix characters arrive as typed, and the
    // calculator's own characters as their codes. --block-check and --no-repeat shape the offer.
    TScriptedPeer peer(TScriptedPeer::Acknowledging("~* @-#Y2~", 2));
    const TRun run = Quillo({WriteFile("ANY.XV", QByteArray(100, 'a')), "--port", peer.DevicePath(), "--as",
                             "π#&é~", "--block-check", "2", "--no-repeat"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    const QList<TKermitPacket> packets = peer.Packets();
    QCOMPARE(packets.at(0).Data, QByteArray("~\" @-#&2"));
    QCOMPARE(packets.at(1).Type, 'F');
    QCOMPARE(packets.at(1).Data, QByteArray("&#G" "##" "#&" "&i" "~"));
    QVERIFY(peer.ChecksGood());
    // Check type 2 leaves 90 characters for data; no runs.
    QCOMPARE(packets.at(2).Data, QByteArray(90, 'a'));
}

void TestSendCommand::calculatorFailsMidFile_data()
{
    QTest::addColumn<bool>("hangUp");
    QTest::newRow("calculator answers with an error") << false;
    QTest::newRow("calculator vanishes") << true;
}

void TestSendCommand::calculatorFailsMidFile()
{
    QFETCH(bool, hangUp);
    TScriptedPeer peer([hangUp](const TKermitPacket &p, int index) {
        if (p.Type == 'S')
            return TPeerReply{TScriptedPeer::Packet('Y', p.Seq, "~* @-#Y1")};
        if (index == 4)
            return hangUp ? TPeerReply{{}, true} : TPeerReply{TScriptedPeer::Packet('E', p.Seq, "Memory full")};
        return TPeerReply{TScriptedPeer::Packet('Y', p.Seq)};
    });
    const TRun run = Quillo({WriteFile("BIG.XV", QByteArray(2000, 'b')), WriteFile("NEXT.XV", "n"),
                             "--port", peer.DevicePath()});
    QCOMPARE(run.ExitCode, 1);
    const QString detail = hangUp ? ResString(TResId::sAnswersStoppedHint) : ResString(TResId::sPeerRefused).arg("Memory full");
    QCOMPARE(run.Err.trimmed(), ResString(TResId::sErrorReceivingPacket) + '\n' + detail);
    QVERIFY2(run.Ms < 8000, qPrintable(QString::number(run.Ms)));
    // The next file is not started and no break follows.
    QCOMPARE(peer.Packets().size(), 5);
}

void TestSendCommand::getFilesFromServer()
{
    TKermitServer server;
    QString error;
    QVERIFY2(server.Start(error), qPrintable(error));
    QByteArray notes;
    for (int i = 0; i < 6000; ++i)
        notes.append(char(i % 251));
    notes += QByteArray(3000, '\0');
    QVERIFY(server.PutServerFile("NOTES", notes));
    QTemporaryDir into;
    const QStringList get{"--get", "NOTES", "--port", server.SenderDevice(), "--into", into.path()};

    TRun run = Run(get);
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    QCOMPARE(ReadAll(into.filePath("NOTES")), notes);
    // A file already there is kept: the next one takes the first free name, unless told otherwise.
    QVERIFY(server.PutServerFile("NOTES", "second"));
    run = Run(get);
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    QCOMPARE(ReadAll(into.filePath("NOTES")), notes);
    QCOMPARE(ReadAll(into.filePath("NOTES~1")), QByteArray("second"));
    run = Run(get + QStringList{"--overwrite"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    QCOMPARE(ReadAll(into.filePath("NOTES")), QByteArray("second"));
    QCOMPARE(QDir(into.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // A name the server does not have fails, naming it, with the reason, and writes nothing.
    run = Run({"--get", "NOTES", "ABSENT", "--port", server.SenderDevice(), "--into", into.path(), "--overwrite"});
    QCOMPARE(run.ExitCode, 1);
    const QString refusal = ResString(TResId::sGetFailed).arg("ABSENT") + '\n' + ResString(TResId::sPeerRefused).section("%1", 0, 0);
    QVERIFY2(run.Err.startsWith(refusal), qPrintable(run.Err));
    QCOMPARE(QDir(into.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestSendCommand::getRefusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("no name") << QStringList{"--get", "--port", "1"} << 2 << ResString(TResId::sGetNeedsNames);
    QTest::newRow("no port") << QStringList{"--get", "A"} << 2 << ResString(TResId::sGetNeedsPort);
    QTest::newRow("no such folder") << QStringList{"--get", "A", "--port", "1", "--into", "/nonexistent/quillo"} << 1
                                    << ResString(TResId::sNoSuchFolder).arg("/nonexistent/quillo");
    const QString file = QCoreApplication::applicationFilePath();
    QTest::newRow("a file, not a folder") << QStringList{"--get", "A", "--port", "1", "--into", file} << 1
                                          << ResString(TResId::sNotAFolder).arg(file);
    QTest::newRow("a name the calculator cannot have") << QStringList{"--get", "PRICE€", "--port", "1"} << 1
                                                     << ResString(TResId::sNameBadCharacter).arg("PRICE€", "€");
}

void TestSendCommand::getRefusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const TRun run = Run(arguments);
    QCOMPARE(run.ExitCode, exitCode);
    QVERIFY2(run.Err.contains(message), qPrintable(run.Err));
}

QTEST_GUILESS_MAIN(TestSendCommand)
#include "tst_SendCommand.moc"
