// The sender over a cable that damages what it carries, against C-Kermit in server mode: a file
// arrives byte for byte or the transfer fails, never a damaged file reported as delivered.
#include "helper_KermitServer.h"
#include "u_Errors.h"
#include "u_Kermit.h"

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
} // namespace

class TestKermitCable : public QObject {
    Q_OBJECT
private slots:
    void damagedLineDeliversIntact_data();
    void damagedLineDeliversIntact();
};

void TestKermitCable::damagedLineDeliversIntact_data()
{
    QTest::addColumn<double>("garble");
    QTest::addColumn<double>("drop");
    QTest::addColumn<int>("size");
    // One byte in 2,000 garbled or lost, each way: a few packets and answers go bad in every file.
    QTest::newRow("garbled, 100 KB") << 1.0 / 2000 << 0.0 << 100 * 1024;
    QTest::newRow("dropped, 30 KB") << 0.0 << 1.0 / 2000 << 30 * 1024;
}

void TestKermitCable::damagedLineDeliversIntact()
{
    QFETCH(double, garble);
    QFETCH(double, drop);
    QFETCH(int, size);
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
        QVERIFY(k.Connect());
        k.SendFile("NOISY", data);
        QVERIFY(k.Disconnect());
    } catch (const EError &e) {
        QFAIL(qPrintable(e.Message()));
    }
    QCOMPARE(server.Received("NOISY"), data);
    // The line really damaged something on the way.
    QVERIFY(resent > 0);
}

QTEST_GUILESS_MAIN(TestKermitCable)
#include "tst_KermitCable.moc"
