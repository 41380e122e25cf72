// The sender against a scripted calculator on a pseudo-terminal: what goes on the wire, how answers
// are taken, and how every failure ends in bounded time with the program's message.
#include "helper_ScriptedPeer.h"
#include "u_Kermit.h"
#include "u_ResourceStrings.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
QByteArray Hex(const char *Text)
{
    return QByteArray::fromHex(Text);
}

QByteArray AllByteValues()
{
    QByteArray data;
    for (int v = 0; v < 256; ++v)
        data.append(char(v));
    return data;
}

QString Types(const QList<TKermitPacket> &Packets)
{
    QString s;
    for (const TKermitPacket &p : Packets)
        s += QChar(p.Type);
    return s;
}

// Undoes the data encoding, as the calculator does.
QByteArray Decode(const QList<TKermitPacket> &Packets)
{
    QByteArray out;
    for (const TKermitPacket &p : Packets) {
        if (p.Type != 'D')
            continue;
        for (qsizetype i = 0; i < p.Data.size(); ++i) {
            uint8_t high = 0;
            char c = p.Data.at(i);
            if (c == '&') {
                high = 0x80;
                c = p.Data.at(++i);
            }
            if (c == '#') {
                c = p.Data.at(++i);
                if (c != '#' && c != '&')
                    c = char(c ^ 64);
            }
            out.append(char(uint8_t(c) | high));
        }
    }
    return out;
}

enum TFault { NakThis, BadCheck, ErrorPacket, WrongSeq, HangUp, Silence, DripStray, DripLongPacket };
} // namespace
Q_DECLARE_METATYPE(TFault)

class TestKermitExchange : public QObject {
    Q_OBJECT
private slots:
    void firstAndLastPacketsOnTheWire();
    void fileArrivesIntact();
    void silentLineFailsConnect();
    void nakForNextPacketAcknowledges();
    void nakForSendInitLeavesDefaults();
    void peerFramingAndCrcAreHonoured();
    void failedAcknowledgement_data();
    void failedAcknowledgement();
    void connectFailsOnBadAnswer_data();
    void connectFailsOnBadAnswer();
    void cancelAfterDataPacket();
    void packetsFillExactly_data();
    void packetsFillExactly();
    void emptyFile();
    void sequenceWrapsAcrossFiles();
    void progressAndPacketEvents();
    void reconnectIgnoresStaleAnswers();
};

void TestKermitExchange::firstAndLastPacketsOnTheWire()
{
    TScriptedPeer peer(TScriptedPeer::Acknowledging());
    Tkermit k;
    k.Open(peer.DevicePath());
    k.SetLineSettings(9600, 0, 8, 0);
    QVERIFY(k.Connect());
    k.SendFile("A", QByteArray("x"));
    QVERIFY(k.Disconnect());
    QVERIFY(peer.WaitForPackets(5, 1000));
    const QByteArray wire = peer.Received();
    QVERIFY(wire.startsWith(Hex("012B20537E2220402D232631260D")));
    // S F D Z B: the break is the fifth packet.
    QVERIFY(wire.endsWith(Hex("012324422B0D")));
    QCOMPARE(Types(peer.Packets()), QStringLiteral("SFDZB"));
    QVERIFY(peer.ChecksGood());
}

void TestKermitExchange::fileArrivesIntact()
{
    TScriptedPeer peer(TScriptedPeer::Acknowledging());
    Tkermit k;
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    const QByteArray data = AllByteValues() + AllByteValues();
    k.SendFile("BYTES", data);
    QVERIFY(k.Disconnect());
    QVERIFY(peer.WaitForPackets(1, 100));
    const QList<TKermitPacket> packets = peer.Packets();
    QCOMPARE(packets.at(1).Data, QByteArray("BYTES"));
    QCOMPARE(Decode(packets), data);
    for (const TKermitPacket &p : packets)
        QVERIFY(p.Data.size() <= 91);
}

void TestKermitExchange::silentLineFailsConnect()
{
    TScriptedPeer peer([](const TKermitPacket &, int) { return TPeerReply{}; });
    Tkermit k;
    k.Open(peer.DevicePath());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!k.Connect());
    // Two read limits of 2 seconds.
    QVERIFY2(clock.elapsed() >= 3800 && clock.elapsed() < 6000, qPrintable(QString::number(clock.elapsed())));
}

void TestKermitExchange::nakForNextPacketAcknowledges()
{
    // The calculator may answer a packet by asking for the next one.
    TScriptedPeer peer([](const TKermitPacket &p, int) {
        if (p.Type == 'S')
            return TPeerReply{TScriptedPeer::Packet('Y', p.Seq, "~* @-#Y1")};
        return TPeerReply{TScriptedPeer::Packet('N', (p.Seq + 1) % 64)};
    });
    Tkermit k;
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    k.SendFile("A", QByteArray(300, 'a'));
    QVERIFY(k.Disconnect());
}

void TestKermitExchange::nakForSendInitLeavesDefaults()
{
    // "N" for packet 1 answers the send-init packet without parameters: every default applies,
    // and packets end with character 12 from then on.
    TScriptedPeer peer([](const TKermitPacket &p, int) {
        if (p.Type == 'S')
            return TPeerReply{TScriptedPeer::Packet('N', 1)};
        return TPeerReply{TScriptedPeer::Packet('Y', p.Seq)};
    });
    Tkermit k;
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    QCOMPARE(int(k.PeerParams().Eol), 12);
    QCOMPARE(k.PeerParams().MaxL, 94);
    QCOMPARE(k.CheckType(), 1);
    QVERIFY(k.Disconnect());
    QVERIFY(peer.Received().endsWith(Hex("01232142280C")));
}

void TestKermitExchange::peerFramingAndCrcAreHonoured()
{
    // Two NUL padding characters, line feed at the end, CRC checks, packets of at most 40.
    TScriptedPeer peer(TScriptedPeer::Acknowledging("H*\"@*#Y3", 3));
    Tkermit k;
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    QCOMPARE(k.CheckType(), 3);
    const QByteArray data = AllByteValues();
    k.SendFile("CRC", data);
    QVERIFY(k.Disconnect());
    QVERIFY(peer.ChecksGood());
    const QByteArray wire = peer.Received();
    const qsizetype f = wire.indexOf(Hex("000001282146") + "CRC");
    QVERIFY2(f > 0, wire.toHex().constData());
    QCOMPARE(wire.at(f + 12), '\n');
    QCOMPARE(wire.right(10).left(4), Hex("00000125"));
    QCOMPARE(wire.back(), '\n');
    for (const TKermitPacket &p : peer.Packets())
        QVERIFY(p.Data.size() <= 40 - 2 - 3);
    QCOMPARE(Decode(peer.Packets()), data);
}

void TestKermitExchange::failedAcknowledgement_data()
{
    QTest::addColumn<TFault>("fault");
    QTest::addColumn<int>("packet");
    QTest::newRow("N for the F packet itself") << NakThis << 1;
    QTest::newRow("N for a D packet itself") << NakThis << 3;
    QTest::newRow("bad check on a D answer") << BadCheck << 2;
    QTest::newRow("E packet for a D packet") << ErrorPacket << 4;
    QTest::newRow("E packet for the Z packet") << ErrorPacket << 8;
    QTest::newRow("answer for another packet") << WrongSeq << 3;
    QTest::newRow("calculator vanishes mid-file") << HangUp << 4;
    QTest::newRow("calculator falls silent mid-file") << Silence << 5;
    QTest::newRow("peer drips stray bytes") << DripStray << 1;
    QTest::newRow("peer drips a packet whose LEN is 94") << DripLongPacket << 2;
}

void TestKermitExchange::failedAcknowledgement()
{
    QFETCH(TFault, fault);
    QFETCH(int, packet);
    TScriptedPeer peer([fault, packet](const TKermitPacket &p, int index) {
        if (p.Type == 'S')
            return TPeerReply{TScriptedPeer::Packet('Y', p.Seq, "~* @-#Y1")};
        if (index != packet)
            return TPeerReply{TScriptedPeer::Packet('Y', p.Seq)};
        switch (fault) {
        case NakThis: return TPeerReply{TScriptedPeer::Packet('N', p.Seq)};
        case BadCheck: {
            QByteArray bytes = TScriptedPeer::Packet('Y', p.Seq);
            bytes[4] = char(bytes[4] + 1);
            return TPeerReply{bytes};
        }
        case ErrorPacket: return TPeerReply{TScriptedPeer::Packet('E', p.Seq, "Disk full")};
        case WrongSeq: return TPeerReply{TScriptedPeer::Packet('Y', (p.Seq + 5) % 64)};
        case HangUp: return TPeerReply{{}, true};
        case Silence: return TPeerReply{};
        case DripStray: return TPeerReply{QByteArray(40, 'x'), false, 1900};
        case DripLongPacket: return TPeerReply{TScriptedPeer::Packet('Y', p.Seq, QByteArray(91, 'y')), false, 1900};
        }
        return TPeerReply{};
    });
    Tkermit k;
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    QElapsedTimer clock;
    clock.start();
    try {
        k.SendFile("FAILS", QByteArray(500, 'z')); // F, six D packets, Z
        QFAIL("the failure was not noticed");
    } catch (const EErrorTransmission &e) {
        QCOMPARE(e.Message(), ResString(TResId::sErrorReceivingPacket));
    }
    QVERIFY(clock.elapsed() < 6000);
    // Nothing is retried and nothing follows the failed packet.
    QTest::qWait(50);
    QCOMPARE(peer.Packets().size(), packet + 1);
}

void TestKermitExchange::connectFailsOnBadAnswer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("N for the send-init packet itself") << TScriptedPeer::Packet('N', 0);
    QTest::newRow("E packet") << TScriptedPeer::Packet('E', 0, "Not a server");
    QByteArray corrupted = TScriptedPeer::Packet('Y', 0, "~* @-#Y1");
    corrupted[6] = 'Z';
    QTest::newRow("bad check") << corrupted;
    QTest::newRow("answer for another packet") << TScriptedPeer::Packet('Y', 1, "~* @-#Y1");
    QTest::newRow("noise only") << QByteArray("Awaiting Server Cmd.\r\n");
}

void TestKermitExchange::connectFailsOnBadAnswer()
{
    QFETCH(QByteArray, answer);
    TScriptedPeer peer([answer](const TKermitPacket &, int) { return TPeerReply{answer}; });
    Tkermit k;
    k.Open(peer.DevicePath());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!k.Connect());
    QVERIFY(clock.elapsed() < 6000);
}

void TestKermitExchange::cancelAfterDataPacket()
{
    TScriptedPeer peer(TScriptedPeer::Acknowledging());
    Tkermit k;
    QList<qint64> reports;
    k.OnProgress = [&reports](qint64 position, bool &cancel, qint64) {
        reports.append(position);
        cancel = position > 0;
    };
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    try {
        k.SendFile("STOP", QByteArray(1000, 'c'));
        QFAIL("cancelling did not stop the file");
    } catch (const ETransferCancelled &e) {
        QCOMPARE(e.Message(), ResString(TResId::sTransferCancelled));
    }
    // The request is seen after the first data packet; nothing, not even an E packet, follows it.
    QCOMPARE(reports, (QList<qint64>{0, 92}));
    QTest::qWait(50);
    QCOMPARE(Types(peer.Packets()), QStringLiteral("SFD"));
    // The object stays usable: a new connection starts afresh.
    QVERIFY(k.Connect());
    QCOMPARE(k.PacketCounter(), 0);
}

void TestKermitExchange::packetsFillExactly_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<int>>("sizes");
    QTest::newRow("91 letters fill one packet") << QByteArray(91, 'a') << QList<int>{91};
    QTest::newRow("92 letters need a second") << QByteArray(92, 'a') << QList<int>{91, 1};
    // 45 "#M" and one letter: 91 characters; the next two-character byte does not fit.
    QTest::newRow("encoded bytes never split") << QByteArray(45, '\r') + "a" + "\r" << QList<int>{91, 2};
    QTest::newRow("three-character byte at the edge") << QByteArray(89, 'a') + "\xFF" << QList<int>{89, 3};
}

void TestKermitExchange::packetsFillExactly()
{
    QFETCH(QByteArray, data);
    QFETCH(QList<int>, sizes);
    TScriptedPeer peer(TScriptedPeer::Acknowledging());
    Tkermit k;
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    k.SendFile("FILL", data);
    QList<int> sent;
    for (const TKermitPacket &p : peer.Packets())
        if (p.Type == 'D')
            sent.append(int(p.Data.size()));
    QCOMPARE(sent, sizes);
    QCOMPARE(Decode(peer.Packets()), data);
}

void TestKermitExchange::emptyFile()
{
    TScriptedPeer peer(TScriptedPeer::Acknowledging());
    Tkermit k;
    QList<QPair<qint64, qint64>> reports;
    k.OnProgress = [&reports](qint64 position, bool &, qint64 total) { reports.append({position, total}); };
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    k.SendFile("EMPTY", QByteArray());
    QCOMPARE(Types(peer.Packets()), QStringLiteral("SFZ"));
    QCOMPARE(reports, (QList<QPair<qint64, qint64>>{{0, 0}}));
}

void TestKermitExchange::sequenceWrapsAcrossFiles()
{
    // The counter runs on across files; the 65th packet carries sequence number 0 again, and the
    // answers are matched modulo 64.
    TScriptedPeer peer(TScriptedPeer::Acknowledging());
    Tkermit k;
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    k.SendFile("ONE", QByteArray(91 * 40, 'o'));
    k.SendFile("TWO", QByteArray(91 * 40, 't'));
    QVERIFY(k.Disconnect());
    const QList<TKermitPacket> packets = peer.Packets();
    QCOMPARE(packets.size(), 1 + 42 + 42 + 1);
    for (int i = 0; i < packets.size(); ++i)
        QCOMPARE(packets.at(i).Seq, i % 64);
    QCOMPARE(packets.at(64).Seq, 0);
    QCOMPARE(k.PacketCounter(), 85);
}

void TestKermitExchange::progressAndPacketEvents()
{
    TScriptedPeer peer(TScriptedPeer::Acknowledging());
    Tkermit k;
    QList<int> numbers;
    QList<qint64> positions;
    k.OnPacket = [&numbers](int n) { numbers.append(n); };
    k.OnProgress = [&positions](qint64 position, bool &cancel, qint64 total) {
        QCOMPARE(total, qint64(500));
        QVERIFY(!cancel);
        positions.append(position);
    };
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    k.SendFile("P", QByteArray(500, 'p'));
    // Each report names the first byte not yet sent, one more than the bytes acknowledged.
    QCOMPARE(positions, (QList<qint64>{0, 92, 183, 274, 365, 456, 500}));
    QCOMPARE(numbers, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

void TestKermitExchange::reconnectIgnoresStaleAnswers()
{
    // A late answer from an abandoned exchange is still on the line when the user tries again.
    // Here the first attempt is refused, and an answer to some older packet follows the refusal.
    TScriptedPeer peer([](const TKermitPacket &p, int index) {
        if (index == 0)
            return TPeerReply{TScriptedPeer::Packet('E', 0, "Busy") + TScriptedPeer::Packet('Y', 3)};
        if (p.Type == 'S')
            return TPeerReply{TScriptedPeer::Packet('Y', p.Seq, "~* @-#Y1")};
        return TPeerReply{TScriptedPeer::Packet('Y', p.Seq)};
    });
    Tkermit k;
    k.Open(peer.DevicePath());
    QVERIFY(!k.Connect());
    QTest::qWait(20);
    QVERIFY(k.Connect());
    QVERIFY(k.Disconnect());
}

QTEST_GUILESS_MAIN(TestKermitExchange)
#include "tst_KermitExchange.moc"
