// Open requests reaching the running main window over its real socket while the requests show real
// message boxes: the connection that brought a request is gone by then, whatever its client does.
#include "shellfixture.h"
#include "u_MDIHP.h"
#include "u_ddemacro.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLocalSocket>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <thread>

class TestHandOver : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TShellFixture> F;
    std::unique_ptr<Tddemacroserver> FServer;
    QString FService;
    QStringList FBoxTexts;
    int FServiceNumber = 0;

    // The main window as the program runs it, with its own warning boxes, answering requests.
    TFFormBegin &StartProgram()
    {
        F->Window = std::make_unique<TFFormBegin>();
        F->Window->show();
        FService = QStringLiteral("quillohandover%1x%2").arg(QCoreApplication::applicationPid()).arg(++FServiceNumber);
        FServer = std::make_unique<Tddemacroserver>();
        if (!FServer->Listen(FService))
            qWarning("the server does not listen");
        F->Window->Adoptsystem(*FServer);
        TShellFixture::Settle();
        return *F->Window;
    }

    // A TGV file that ends right after its header: it fails to load.
    QString BrokenFile(int Number)
    {
        return F->MakeFile(QStringLiteral("broken%1.tgv").arg(Number), QByteArray("HPHP48-E\x2c\x2a\x1e\x00\x00", 13));
    }

    static QLocalSocket *Connect(const QString &Service, QObject *Parent)
    {
        auto *socket = new QLocalSocket(Parent);
        socket->connectToServer(Tddemacroserver::SocketPath(Service, QStringLiteral("system")));
        socket->waitForConnected(2000);
        return socket;
    }

    static QMessageBox *ShownBox()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                return box;
        return nullptr;
    }

private slots:
    void init()
    {
        F = std::make_unique<TShellFixture>();
        FBoxTexts.clear();
        QFile::setPermissions(F->Dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(F->Dir.path()));
    }
    void cleanup()
    {
        F->Window.reset();
        FServer.reset();
        F.reset();
    }

    // The client closes its end, or stays silent past its time, while the box its request opened is
    // up; OK must close the box and nothing else.
    void clientGoneWhileTheBoxIsUp_data()
    {
        QTest::addColumn<bool>("endsRequest");
        QTest::addColumn<bool>("clientLeaves");
        QTest::newRow("client leaves") << true << true;
        QTest::newRow("client stays silent") << true << false;
        QTest::newRow("request without its end, client stays silent") << false << false;
    }

    void clientGoneWhileTheBoxIsUp()
    {
        QFETCH(bool, endsRequest);
        QFETCH(bool, clientLeaves);
        TFFormBegin &w = StartProgram();
        const QString good = F->MakeFile(QStringLiteral("kept.xv"));
        w.OpenFile(good);
        QCOMPARE(w.DocumentWindows().size(), 1);
        const QString target = BrokenFile(0);

        QLocalSocket *client = Connect(FService, this);
        client->write(QFile::encodeName(OpenMacroLine(target)) + (endsRequest ? "\n\n" : "\n"));
        client->flush();
        bool boxSeen = false;
        int connectionsOpen = -1;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            QMessageBox *box = ShownBox();
            if (!box || boxSeen)
                return;
            boxSeen = true;
            FBoxTexts << box->text();
            // The request runs only once the connection that brought it is over.
            connectionsOpen = 0;
            for (QLocalSocket *s : FServer->findChildren<QLocalSocket *>())
                connectionsOpen += s->state() != QLocalSocket::UnconnectedState;
            if (clientLeaves)
                client->abort();
            // The box's own event loop sees the client leave, or its time run out, before OK.
            const int upMs = clientLeaves ? 300 : Tddemacroserver::RequestDeadlineMs + 1500;
            QTimer::singleShot(upMs, box, [box] { box->button(QMessageBox::Ok)->click(); });
        });
        closer.start(20);
        QTRY_VERIFY_WITH_TIMEOUT(boxSeen, Tddemacroserver::RequestDeadlineMs + 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!ShownBox(), Tddemacroserver::RequestDeadlineMs + 3000);
        QTest::qWait(200);
        closer.stop();

        QCOMPARE(FBoxTexts.size(), 1);
        QCOMPARE(connectionsOpen, 0);
        QVERIFY(FBoxTexts.first().startsWith(QStringLiteral("Error loading ")));
        QCOMPARE(w.DocumentWindows().size(), 1);
        QCOMPARE(w.DocumentWindows().first()->GetEditor()->FileName(), good);
        delete client;
    }

    // Twenty second starts in a row, each handing over a file that fails to load, some of them
    // while the box of the one before is still up.
    void twentyFailingHandOvers()
    {
        TFFormBegin &w = StartProgram();
        w.newEden->trigger();
        w.ActiveEditor()->InsertAtCaret("unsaved work", QByteArray(12, 0));
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [this] {
            if (QMessageBox *box = ShownBox()) {
                FBoxTexts << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        closer.start(30);

        constexpr int handOvers = 20;
        int taken = 0;
        for (int i = 0; i < handOvers; ++i) {
            std::atomic<int> result{-1};
            const QString line = OpenMacroLine(BrokenFile(i + 1));
            std::thread second([&] { result = SendMacroLines({line}, FService, QStringLiteral("system")); });
            QTRY_VERIFY_WITH_TIMEOUT(result != -1, HandOverDeadlineMs + 2000);
            second.join();
            taken += result;
        }
        QCOMPARE(taken, handOvers);
        QTRY_COMPARE_WITH_TIMEOUT(FBoxTexts.size(), handOvers, 10000);
        closer.stop();
        for (const QString &text : std::as_const(FBoxTexts))
            QVERIFY2(text.startsWith(QStringLiteral("Error loading ")), qPrintable(text));
        QCOMPARE(w.DocumentWindows().size(), 1);
        QCOMPARE(w.ActiveEditor()->Modified(), true);
        QVERIFY(FServer->IsListening());
    }
};

QTEST_MAIN(TestHandOver)

#include "tst_handover.moc"
