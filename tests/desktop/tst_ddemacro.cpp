// Open requests: the parser of request lines, the server on its local socket, and the hand-over from a
// second start of the program.
#include "u_ddemacro.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

using TMacro = QPair<QString, QString>;

class TestDdeMacro : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FRuntime;
    int FServiceNumber = 0;
    // Every test talks to a service of its own, so no test sees another's server.
    QString NewService() { return QStringLiteral("quillotest%1x%2").arg(QCoreApplication::applicationPid()).arg(++FServiceNumber); }

    static QList<TMacro> Received(const QSignalSpy &Spy)
    {
        QList<TMacro> macros;
        for (const QList<QVariant> &call : Spy)
            macros << TMacro(call[0].toString(), call[1].toString());
        return macros;
    }

    static QLocalSocket *Connect(const QString &Service, QObject *Parent)
    {
        auto *socket = new QLocalSocket(Parent);
        socket->connectToServer(Tddemacroserver::SocketPath(Service, QStringLiteral("system")));
        if (!socket->waitForConnected(2000))
            qWarning() << "cannot connect:" << socket->errorString();
        return socket;
    }

    // A second start's hand-over, run beside this thread's event loop, which answers for the server.
    static int SendInThread(const QString &Service)
    {
        std::atomic<int> result{-1};
        std::thread second([&] { result = SendMacroLines({"[open(\"/docs/late.tgv\")]"}, Service, "system"); });
        while (result == -1)
            QTest::qWait(20);
        second.join();
        return result;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FRuntime.isValid());
        QFile::setPermissions(FRuntime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(FRuntime.path()));
    }

    void parseMacro_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("parses");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("argument");

        QTest::newRow("registered command with a path")
            << "[open(\"/home/ann/docs/letter.tgv\")]" << true << "open" << "/home/ann/docs/letter.tgv";
        QTest::newRow("windows path") << "[open(\"C:\\docs\\letter.tgv\")]" << true << "open" << "C:\\docs\\letter.tgv";
        QTest::newRow("path with blanks and brackets")
            << "[open(\"/tmp/my (old) [draft].tgv\")]" << true << "open" << "/tmp/my (old) [draft].tgv";
        QTest::newRow("empty parentheses") << "[open()]" << true << "open" << "";
        QTest::newRow("empty quotes") << "[open(\"\")]" << true << "open" << "";
        QTest::newRow("capital command kept as written") << "[OPEN(\"a.xv\")]" << true << "OPEN" << "a.xv";
        QTest::newRow("text after the bracket ignored") << "[open(\"a.xv\")] and more" << true << "open" << "a.xv";
        QTest::newRow("argument without quotes") << "[open(letter.tgv)]" << false << "" << "";
        QTest::newRow("blank before parenthesis") << "[open (\"a.xv\")]" << false << "" << "";
        QTest::newRow("blank after bracket") << "[ open(\"a.xv\")]" << false << "" << "";
        QTest::newRow("tab in command") << "[op\ten(\"a.xv\")]" << false << "" << "";
        QTest::newRow("quote never closed") << "[open(\"a.xv)]" << false << "" << "";
        QTest::newRow("no closing bracket") << "[open(\"a.xv\")" << false << "" << "";
        QTest::newRow("no closing parenthesis") << "[open(\"a.xv\"]]" << false << "" << "";
        QTest::newRow("no opening bracket") << "open(\"a.xv\")" << false << "" << "";
        QTest::newRow("empty line") << "" << false << "" << "";
        QTest::newRow("bracket alone") << "[" << false << "" << "";
        QTest::newRow("no command word") << "[(\"a.xv\")]" << false << "" << "";
        QTest::newRow("command ends the line") << "[open" << false << "" << "";
        QTest::newRow("NUL ends the line") << QStringLiteral("[open(\"a") + QChar(0) + QStringLiteral("b\")]") << false << "" << "";
        QTest::newRow("quote inside argument ends it") << "[open(\"a\"b\")]" << false << "" << "";
        QTest::newRow("non-latin path") << "[open(\"/home/zoë/Übung π.hp49\")]" << true << "open" << "/home/zoë/Übung π.hp49";
    }

    void parseMacro()
    {
        QFETCH(QString, line);
        QFETCH(bool, parses);
        QFETCH(QString, command);
        QFETCH(QString, argument);
        QString gotCommand = QStringLiteral("stale");
        QString gotArgument = QStringLiteral("stale");
        QCOMPARE(ParseMacro(line, gotCommand, gotArgument), parses);
        QCOMPARE(gotCommand, command);
        QCOMPARE(gotArgument, argument);
    }

    void openLineRoundTripsAndRefusesWhatCannotTravel()
    {
        QString command, argument;
        const QString path = QStringLiteral("/tmp/a b/(c)].tgv");
        QVERIFY(ParseMacro(OpenMacroLine(path), command, argument));
        QCOMPARE(command, QStringLiteral("open"));
        QCOMPARE(argument, path);
        QVERIFY(OpenMacroLine(QStringLiteral("/tmp/say \"hi\".xv")).isEmpty());
        QVERIFY(OpenMacroLine(QStringLiteral("/tmp/two\nlines.xv")).isEmpty());
    }

    void linesRaiseEventsInOrderAndSkipMalformedOnes()
    {
        Tddemacroserver server;
        QSignalSpy spy(&server, &Tddemacroserver::Onmacro);
        server.ExecuteMacro({"[open(\"/a/first.tgv\")]", "garbage", "[open(\"/a/second.xv\")]"});
        QCOMPARE(Received(spy), (QList<TMacro>{{"open", "/a/first.tgv"}, {"open", "/a/second.xv"}}));
    }

    void requestsArriveOverTheSocket()
    {
        const QString service = NewService();
        Tddemacroserver server;
        QVERIFY(server.Listen(service));
        QSignalSpy spy(&server, &Tddemacroserver::Onmacro);

        // Two lines in one request, the second split across writes, the last without a line end.
        QLocalSocket *client = Connect(service, this);
        client->write("[open(\"/docs/one.tgv\")]\r\n[open(\"/docs/tw");
        client->flush();
        QTest::qWait(50);
        client->write("o.xv\")]\n[open(\"/docs/three.eden\")]");
        client->disconnectFromServer();
        QTRY_COMPARE(spy.count(), 3);
        QCOMPARE(Received(spy), (QList<TMacro>{{"open", "/docs/one.tgv"}, {"open", "/docs/two.xv"}, {"open", "/docs/three.eden"}}));
        delete client;
    }

    void badClientsBlockNobody()
    {
        const QString service = NewService();
        Tddemacroserver server;
        QVERIFY(server.Listen(service));
        QSignalSpy spy(&server, &Tddemacroserver::Onmacro);

        QLocalSocket *silent = Connect(service, this);
        QLocalSocket *garbage = Connect(service, this);
        garbage->write(QByteArray("\x00\xff\xfe[[[(((\"\n\n\x01\x02", 14) + QByteArray(1000, '\xff') + "\n");
        garbage->flush();
        // An endless line: the server must drop this client rather than keep collecting.
        QLocalSocket *endless = Connect(service, this);
        const QByteArray chunk(16 * 1024, 'x');
        for (int i = 0; i < 8 && endless->state() == QLocalSocket::ConnectedState; ++i) {
            endless->write(chunk);
            endless->waitForBytesWritten(200);
            QCoreApplication::processEvents();
        }

        QLocalSocket *good = Connect(service, this);
        good->write("[open(\"/docs/good.hp49\")]\n\n");
        good->flush();
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 1000);
        QCOMPARE(Received(spy), (QList<TMacro>{{"open", "/docs/good.hp49"}}));
        QTRY_VERIFY(good->canReadLine());
        QCOMPARE(good->readLine(), QByteArray("ok\n"));

        QTRY_COMPARE_WITH_TIMEOUT(endless->state(), QLocalSocket::UnconnectedState, 3000);
        // The silent client is cut off once its time is up.
        QTRY_COMPARE_WITH_TIMEOUT(silent->state(), QLocalSocket::UnconnectedState, Tddemacroserver::RequestDeadlineMs + 1000);
        QCOMPARE(spy.count(), 1);
        delete silent;
        delete garbage;
        delete endless;
        delete good;
    }

    // Sixteen clients dripping a byte now and then hold every connection the server allows: a real
    // hand-over still gets through once their time is up, and counts as sent only then.
    void busyClientsCannotSwallowAHandOver()
    {
        const QString service = NewService();
        Tddemacroserver server;
        QVERIFY(server.Listen(service));
        QSignalSpy spy(&server, &Tddemacroserver::Onmacro);
        QList<QLocalSocket *> dripping;
        for (int i = 0; i < Tddemacroserver::MaxConnections; ++i)
            dripping << Connect(service, this);
        QTimer drip;
        connect(&drip, &QTimer::timeout, this, [&] {
            for (QLocalSocket *s : dripping)
                if (s->state() == QLocalSocket::ConnectedState)
                    s->write("[");
        });
        drip.start(300);
        QCOMPARE(SendInThread(service), 1);
        QTRY_COMPARE(Received(spy), (QList<TMacro>{{"open", "/docs/late.tgv"}}));
        drip.stop();
        qDeleteAll(dripping);

        // Something that accepts connections but never acknowledges has not taken the request.
        const QString muteService = NewService();
        QLocalServer mute;
        QVERIFY(mute.listen(Tddemacroserver::SocketPath(muteService, QStringLiteral("system"))));
        QCOMPARE(SendInThread(muteService), 0);
    }

    void oneInstanceAnswersAndAStaleSocketIsReplaced()
    {
        const QString service = NewService();
        {
            Tddemacroserver first;
            QVERIFY(first.Listen(service));
            Tddemacroserver second;
            QVERIFY(!second.Listen(service));
        }
        // A socket file left behind, as by an instance that was killed.
        const QString path = Tddemacroserver::SocketPath(service, QStringLiteral("system"));
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        Tddemacroserver next;
        QVERIFY(next.Listen(service));
        // A program started on another screen is an instance of its own.
        const QByteArray display = qgetenv("DISPLAY");
        qputenv("DISPLAY", display + "9");
        Tddemacroserver otherScreen;
        QVERIFY(otherScreen.Listen(service));
        qputenv("DISPLAY", display);
    }

    void socketIsPrivateToTheUser()
    {
        const QString service = NewService();
        Tddemacroserver server;
        QVERIFY(server.Listen(service));
        const QFileInfo socket(Tddemacroserver::SocketPath(service, QStringLiteral("system")));
        QVERIFY(socket.exists());
        QCOMPARE(socket.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
    }

    void withoutAnInstanceTheStartBecomesTheServer()
    {
        const QString service = NewService();
        Tddemacroserver server;
        QVERIFY(!HandOverToRunningInstance({QStringLiteral("letter.tgv")}, server, service));
        QVERIFY(server.IsListening());
    }

    void aSecondStartOfTheProgramHandsOverAndExits_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QList<TMacro>>("expected");
        QTest::newRow("files are opened there") << QStringList{"letter.tgv", "sub/../notes.xv"}
                                                << QList<TMacro>{{"open", "letter.tgv"}, {"open", "notes.xv"}};
        QTest::newRow("no file brings its window forward") << QStringList() << QList<TMacro>{{"activate", ""}};
    }

    void aSecondStartOfTheProgramHandsOverAndExits()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QList<TMacro>, expected);
        const QString program = QStringLiteral(QUILLO_BUILD_DIR "quillo");
        if (!QFileInfo(program).isExecutable())
            QFAIL("the program is not built");
        // The program answers under its own name; the runtime folder is this test's own.
        Tddemacroserver server;
        QVERIFY(server.Listen(QStringLiteral("quillo")));
        QSignalSpy spy(&server, &Tddemacroserver::Onmacro);

        QTemporaryDir work;
        QProcess second;
        second.setWorkingDirectory(work.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", work.filePath("data"));
        environment.insert("XDG_CONFIG_HOME", work.filePath("config"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        second.setProcessEnvironment(environment);
        second.start(program, arguments);
        QVERIFY(second.waitForStarted(5000));
        // The server answers from this event loop while the second start waits for it.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
        if (second.state() != QProcess::NotRunning) {
            second.kill();
            second.waitForFinished(2000);
        }
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(spy.count(), expected.size());
        const QString folder = QDir(work.path()).absolutePath();
        for (TMacro &macro : expected)
            if (!macro.second.isEmpty())
                macro.second = folder + u'/' + macro.second;
        QCOMPARE(Received(spy), expected);
        // It went away without registering anything or becoming a second server.
        QVERIFY(!QFileInfo::exists(work.filePath("data")));
    }

    void aFileNameThatCannotTravelIsNotHandedOver()
    {
        const QString service = NewService();
        Tddemacroserver first;
        QVERIFY(first.Listen(service));
        QSignalSpy spy(&first, &Tddemacroserver::Onmacro);
        Tddemacroserver second;
        QVERIFY(!HandOverToRunningInstance({QStringLiteral("/tmp/ok.xv"), QStringLiteral("/tmp/say \"hi\".xv")}, second, service));
        QTest::qWait(100);
        QCOMPARE(spy.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDdeMacro)

#include "tst_ddemacro.moc"
