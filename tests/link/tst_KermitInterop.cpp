// The sender against a real Kermit server (C-Kermit in server mode, binary file type): every file
// must arrive byte for byte.
#include "helper_KermitServer.h"
#include "helper_TgvDocument.h"
#include "u_CalculatorFile.h"
#include "u_Errors.h"
#include "u_Kermit.h"
#include "u_ResourceStrings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {
QByteArray RandomBytes(qsizetype Count, quint32 Seed)
{
    QRandomGenerator random(Seed);
    QByteArray data(Count, Qt::Uninitialized);
    for (char &c : data)
        c = char(random.bounded(256));
    return data;
}

QByteArray AllByteValues()
{
    QByteArray data;
    for (int v = 0; v < 256; ++v)
        data.append(char(v));
    return data;
}
} // namespace

class TestKermitInterop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fileArrivesIntact_data();
    void fileArrivesIntact();
    void severalFilesInOneConnection();
    void tgvDocumentForHP49();
    void cancelledFileIsDroppedAndServerReady();
    // Over the simulated cable that garbles or loses bytes: a file arrives byte for byte or the
    // transfer fails, never a damaged file reported as delivered.
    void damagedLineDeliversIntact_data();
    void damagedLineDeliversIntact();
    void lineHeldByKermitIsRefused();
    void filesComeBackIntact();

private:
    void Send(const QList<QPair<QByteArray, QByteArray>> &Files);
    TKermitServer FServer;
};

void TestKermitInterop::initTestCase()
{
    QString error;
    QVERIFY2(FServer.Start(error), qPrintable(error));
}

void TestKermitInterop::Send(const QList<QPair<QByteArray, QByteArray>> &Files)
{
    Tkermit k;
    k.Open(FServer.SenderDevice());
    k.SetLineSettings(CalculatorBaud, 0, 8, 0);
    QVERIFY(k.Connect());
    // C-Kermit answers with its own parameters, takes "&" prefixing, and agrees to the CRC and to
    // repeat counts.
    QCOMPARE(k.PeerParams().MaxL, 94);
    QCOMPARE(int(k.PeerParams().QBin), int('Y'));
    QCOMPARE(k.CheckType(), 3);
    QCOMPARE(int(k.PeerParams().Rept), int('~'));
    for (const auto &file : Files)
        k.SendFile(file.first, file.second);
    QVERIFY(k.Disconnect());
}

void TestKermitInterop::fileArrivesIntact_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty file") << QByteArray("EMPTY") << QByteArray("");
    QTest::newRow("one byte") << QByteArray("ONE") << QByteArray("\x8D", 1);
    QTest::newRow("every byte value") << QByteArray("ALL256") << AllByteValues();
    QTest::newRow("every byte value, descending") << QByteArray("DOWN")
                                                   << [] {
                                                          QByteArray d = AllByteValues();
                                                          std::reverse(d.begin(), d.end());
                                                          return d;
                                                      }();
    QTest::newRow("100 KB of random bytes") << QByteArray("RANDOM") << RandomBytes(100 * 1024, 4849);
    QTest::newRow("runs of every length") << QByteArray("RUNS") << [] {
        QByteArray d;
        for (int n = 1; n < 200; n += 3)
            d += QByteArray(n, char(n)) + "~";
        return d + QByteArray(4096, '\0');
    }();
}

void TestKermitInterop::fileArrivesIntact()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, data);
    Send({{name, data}});
    QCOMPARE(FServer.Received(QString::fromLatin1(name)), data);
}

void TestKermitInterop::severalFilesInOneConnection()
{
    const QList<QPair<QByteArray, QByteArray>> files = {
        {"FIRST", RandomBytes(5000, 1)},
        {"SECOND", QByteArray(3000, '#') + QByteArray(3000, '&')},
        {"THIRD", AllByteValues().repeated(20)},
    };
    Send(files);
    for (const auto &file : files)
        QCOMPARE(FServer.Received(QString::fromLatin1(file.first)), file.second);
}

void TestKermitInterop::tgvDocumentForHP49()
{
    // A TGV document saved for the HP48 reaches the HP49 with the HP49 header and its object intact.
    const QString path = FServer.ScratchPath("LETTER.TGV");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(TgvDocument());
    f.close();
    const QByteArray sent = LoadFileForCalculator(path, CalculatorHP49);
    QVERIFY(sent.startsWith("HPHP49-X"));
    Send({{"LETTER.TGV", sent}});
    const QByteArray received = FServer.Received("LETTER.TGV");
    QCOMPARE(received, sent);
    QCOMPARE(received.mid(8), TgvDocument().mid(8));
}

void TestKermitInterop::cancelledFileIsDroppedAndServerReady()
{
    Tkermit k;
    k.Open(FServer.SenderDevice());
    k.SetLineSettings(CalculatorBaud, 0, 8, 0);
    k.OnProgress = [](qint64 Position, bool &Cancel, qint64) { Cancel = Position > 2000; };
    QVERIFY(k.Connect());
    QVERIFY_THROWS_EXCEPTION(ETransferCancelled, k.SendFile("PARTIAL", RandomBytes(20000, 7)));

    // The server is ready for the next transfer at once, and did not keep the partial file.
    k.OnProgress = nullptr;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(k.Connect());
    k.SendFile("AFTER", QByteArray("next"));
    QVERIFY(k.Disconnect());
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(FServer.Received("AFTER"), QByteArray("next"));
    QVERIFY(FServer.Received("PARTIAL").isNull());
}

void TestKermitInterop::damagedLineDeliversIntact_data()
{
    QTest::addColumn<double>("garble");
    QTest::addColumn<double>("drop");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("receive");
    // One byte in 2,000 garbled or lost, each way: a few packets and answers go bad in every file.
    QTest::newRow("garbled, 100 KB") << 1.0 / 2000 << 0.0 << 100 * 1024 << false;
    QTest::newRow("dropped, 30 KB") << 0.0 << 1.0 / 2000 << 30 * 1024 << false;
    QTest::newRow("received, garbled, 100 KB") << 1.0 / 2000 << 0.0 << 100 * 1024 << true;
    QTest::newRow("received, dropped, 30 KB") << 0.0 << 1.0 / 2000 << 30 * 1024 << true;
}

void TestKermitInterop::damagedLineDeliversIntact()
{
    QFETCH(double, garble);
    QFETCH(double, drop);
    QFETCH(int, size);
    QFETCH(bool, receive);
    TKermitServer server;
    TCable cable;
    cable.Garble = garble;
    cable.Drop = drop;
    QString error;
    QVERIFY2(server.Start(error, true, &cable), qPrintable(error));

    const QByteArray data = RandomBytes(size, 2000);
    int resent = 0, last = -1;
    Tkermit k;
    k.OnPacket = [&](int Number) {
        resent += Number == last;
        last = Number;
    };
    k.Open(server.SenderDevice());
    k.SetLineSettings(CalculatorBaud, 0, 8, 0);
    try {
        if (receive) {
            QVERIFY(server.PutServerFile("NOISY", data));
            const QList<TReceivedFile> files = k.GetFiles("NOISY");
            QCOMPARE(files.size(), 1);
            QCOMPARE(files.at(0).Data, data);
        } else {
            QVERIFY(k.Connect());
            k.SendFile("NOISY", data);
            QVERIFY(k.Disconnect());
            QCOMPARE(server.Received("NOISY"), data);
        }
    } catch (const EError &e) {
        QFAIL(qPrintable(e.Message()));
    }
    // The line really damaged something on the way.
    QVERIFY(resent > 0);
}

void TestKermitInterop::lineHeldByKermitIsRefused()
{
    // C-Kermit holds the server's end of the cable with its lock file: opening that end would put
    // our packets into its conversation.
    Tseriepack port;
    try {
        port.Open(FServer.ServerDevice());
        QFAIL("the line held by C-Kermit was opened");
    } catch (const EErrorCom &e) {
        QVERIFY2(e.Message().startsWith(ResString(TResId::sPortHandleInvalid) + "\nkermit (process "),
                 qPrintable(e.Message()));
    }
    QVERIFY(!port.IsOpen());
}

void TestKermitInterop::filesComeBackIntact()
{
    // What the server sends back is what it holds, whatever the bytes, with and without counts.
    const QByteArray mixed = AllByteValues().repeated(8) + QByteArray(5000, '\0') + RandomBytes(20000, 11);
    QVERIFY(FServer.PutServerFile("MIXED", mixed));
    QVERIFY(FServer.PutServerFile("EMPTY", QByteArray()));
    for (const bool repeat : {true, false}) {
        Tkermit k;
        k.Options.RepeatCounts = repeat;
        k.Open(FServer.SenderDevice());
        k.SetLineSettings(CalculatorBaud, 0, 8, 0);
        qint64 reported = 0;
        k.OnProgress = [&reported](qint64 Position, bool &, qint64) { reported = Position; };
        int packets = 0;
        k.OnPacket = [&packets](int Number) { packets = Number; };
        QList<TReceivedFile> files = k.GetFiles("MIXED");
        // Counted on past the 64 sequence numbers, as sending counts.
        QVERIFY2(packets > 64, qPrintable(QString::number(packets)));
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.at(0).Name, QByteArray("MIXED"));
        QCOMPARE(files.at(0).Data, mixed);
        QCOMPARE(reported, mixed.size());
        files = k.GetFiles("EMPTY");
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.at(0).Data, QByteArray());
        // A name it does not have is refused with its reason; the next request still works.
        QVERIFY_THROWS_EXCEPTION(EErrorTransmission, k.GetFiles("ABSENT"));
        QCOMPARE(k.GetFiles("EMPTY").size(), 1);
    }
}

QTEST_GUILESS_MAIN(TestKermitInterop)
#include "tst_KermitInterop.moc"
