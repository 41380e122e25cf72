// Open requests reaching the running main window over its real socket while they show real message
// boxes: the connection that brought a request is over by then, whatever its client does.
#include "shellfixture.h"
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
    std::unique_ptr<TShellFixture> F;
    std::unique_ptr<Tddemacroserver> FServer;
    QString FService;
    QStringList FBoxes;
    int FOpenWhileBoxUp = 0;
    int FBoxUpMs = 0;
    QLocalSocket *FLeaving = nullptr; // the client that goes away once the box is up
    QTimer FCloser;
    int FRun = 0;

    // A TGV file that ends right after its header: it fails to load.
    QString BrokenFile() { return F->MakeFile(QStringLiteral("broken%1.tgv").arg(++FRun), QByteArray("HPHP48-Eshort")); }

    // Each box stays up for FBoxUpMs under its own event loop, then gets its OK.
    void CloseBoxes()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box->property("seen").toBool())
            return;
        box->setProperty("seen", true);
        FBoxes << box->text();
        for (QLocalSocket *s : FServer->findChildren<QLocalSocket *>())
            FOpenWhileBoxUp += s->state() != QLocalSocket::UnconnectedState;
        if (FLeaving)
            FLeaving->abort();
        QTimer::singleShot(FBoxUpMs, box, [box] { box->button(QMessageBox::Ok)->click(); });
    }

private slots:
    void initTestCase()
    {
        connect(&FCloser, &QTimer::timeout, this, &TestHandOver::CloseBoxes);
        FCloser.start(20);
    }

    // The main window as the program runs it, with its own warning boxes and one document open.
    void init()
    {
        F = std::make_unique<TShellFixture>();
        QFile::setPermissions(F->Dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(F->Dir.path()));
        F->Window = std::make_unique<TFFormBegin>();
        F->Window->show();
        FService = QStringLiteral("quillohandover%1x%2").arg(QCoreApplication::applicationPid()).arg(++FRun);
        FServer = std::make_unique<Tddemacroserver>();
        QVERIFY(FServer->Listen(FService));
        F->Window->Adoptsystem(*FServer);
        F->Window->OpenFile(F->MakeFile(QStringLiteral("kept.xv")));
        FBoxes.clear();
        FOpenWhileBoxUp = FBoxUpMs = 0;
        FLeaving = nullptr;
    }
    void cleanup()
    {
        F->Window.reset();
        FServer.reset();
        F.reset();
    }

    void clientGoneWhileTheBoxIsUp_data()
    {
        QTest::addColumn<QByteArray>("requestEnd");
        QTest::addColumn<bool>("clientLeaves");
        QTest::newRow("client leaves") << QByteArray("\n\n") << true;
        QTest::newRow("client stays silent past its time") << QByteArray("\n\n") << false;
        QTest::newRow("request without its end, client silent") << QByteArray("\n") << false;
    }

    void clientGoneWhileTheBoxIsUp()
    {
        QFETCH(QByteArray, requestEnd);
        QFETCH(bool, clientLeaves);
        QLocalSocket client;
        client.connectToServer(Tddemacroserver::SocketPath(FService, QStringLiteral("system")));
        QVERIFY(client.waitForConnected(2000));
        client.write(QFile::encodeName(OpenMacroLine(BrokenFile())) + requestEnd);
        client.flush();
        FLeaving = clientLeaves ? &client : nullptr;
        FBoxUpMs = clientLeaves ? 300 : Tddemacroserver::RequestDeadlineMs + 1500;
        QTRY_COMPARE_WITH_TIMEOUT(FBoxes.size(), 1, 4000);
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 5000);
        QCOMPARE(FOpenWhileBoxUp, 0);
        QVERIFY(FBoxes.first().startsWith(QStringLiteral("Error loading ")));
        QCOMPARE(F->Window->DocumentWindows().size(), 1);
    }

    void twentyFailingHandOvers()
    {
        F->Window->ActiveEditor()->InsertAtCaret("unsaved", QByteArray(7, 0));
        for (int i = 0; i < 20; ++i) {
            std::atomic<int> taken{-1};
            std::thread second([&, line = OpenMacroLine(BrokenFile())] { taken = SendMacroLines({line}, FService, "system"); });
            QTRY_VERIFY_WITH_TIMEOUT(taken != -1, HandOverDeadlineMs + 1000);
            second.join();
            QCOMPARE(taken.load(), 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(FBoxes.size(), 20, 10000);
        QCOMPARE(F->Window->DocumentWindows().size(), 1);
        QVERIFY(F->Window->ActiveEditor()->Modified());
    }
};

QTEST_MAIN(TestHandOver)

#include "tst_handover.moc"
