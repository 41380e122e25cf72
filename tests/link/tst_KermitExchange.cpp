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

// Undoes the data encoding, as the calculator does; Rept is the agreed repeat prefix, if any.
QByteArray Decode(const QList<TKermitPacket> &Packets, char Rept = 0)
{
    QByteArray out;
    for (const TKermitPacket &p : Packets) {
        if (p.Type != 'D')
            continue;
        for (qsizetype i = 0; i < p.Data.size(); ++i) {
            uint8_t high = 0;
            int count = 1;
            char c = p.Data.at(i);
            if (Rept && c == Rept) {
                count = uint8_t(p.Data.at(++i)) - 32;
                c = p.Data.at(++i);
            }
            if (c == '&') {
                high = 0x80;
                c = p.Data.at(++i);
            }
            if (c == '#') {
                c = p.Data.at(++i);
                if (c != '#' && c != '&' && c != Rept)
                    c = char(c ^ 64);
            }
            out.append(QByteArray(count, char(uint8_t(c) | high)));
        }
    }
    return out;
}

enum TFault { NakThis, BadCheck, ErrorPacket, WrongSeq, HangUp, Silence, Noise, DripLongPacket, DuplicateAck };

// The answer a faulty calculator gives to packet P.
TPeerReply Faulty(TFault Fault, const TKermitPacket &P)
{
    switch (Fault) {
    case NakThis: return TPeerReply{TScriptedPeer::Packet('N', P.Seq)};
    case BadCheck: {
        QByteArray bytes = TScriptedPeer::Packet('Y', P.Seq);
        bytes[4] = char(bytes[4] + 1);
        return TPeerReply{bytes};
    }
    case ErrorPacket: return TPeerReply{TScriptedPeer::Packet('E', P.Seq, "Disk full")};
    case WrongSeq: return TPeerReply{TScriptedPeer::Packet('Y', (P.Seq + 5) % 64)};
    case HangUp: return TPeerReply{{}, true};
    case Silence: return TPeerReply{};
    case Noise: return TPeerReply{"\r\nx\x01"};
    case DripLongPacket: return TPeerReply{TScriptedPeer::Packet('Y', P.Seq, QByteArray(91, 'y')), false, 1900};
    case DuplicateAck: return TPeerReply{TScriptedPeer::Packet('Y', (P.Seq + 63) % 64)};
    }
    return TPeerReply{};
}
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
    void lostAnswersAreRetried_data();
    void lostAnswersAreRetried();
    void duplicateAckIsIgnored();
    void burstOfBadPacketsCostsOneTry();
    void failedAcknowledgement_data();
    void failedAcknowledgement();
    void connectFailsOnBadAnswer_data();
    void connectFailsOnBadAnswer();
    void cancelAfterDataPacket();
    void cancelWhileWaiting_data();
    void cancelWhileWaiting();
    void repeatCounts_data();
    void repeatCounts();
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
    // The send-init packet offers the CRC and repeat counts with "~"; this calculator answers with
    // type 1 and no repeat prefix, so the rest goes as before.
    QVERIFY2(wire.startsWith(Hex("012C20537E2220402D2326337E290D")), wire.toHex().constData());
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
    k.Options.MaxTries = 2;
    k.Open(peer.DevicePath());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!k.Connect());
    QCOMPARE(k.NoAnswerHint(), '\n' + ResString(TResId::sNoAnswerHint));
    // Two tries of one read limit of 2 seconds each.
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

void TestKermitExchange::lostAnswersAreRetried_data()
{
    QTest::addColumn<TFault>("fault");
    QTest::addColumn<int>("packet");
    QTest::newRow("N for the send-init packet") << NakThis << 0;
    QTest::newRow("N for the F packet itself") << NakThis << 1;
    QTest::newRow("bad check on a D answer") << BadCheck << 3;
    QTest::newRow("answer for another packet") << WrongSeq << 4;
    QTest::newRow("answer to Z lost") << Silence << 8;
    QTest::newRow("line noise instead of the answer") << Noise << 2;
}

void TestKermitExchange::lostAnswersAreRetried()
{
    // One fault, once: the packet goes out again and the file arrives whole.
    QFETCH(TFault, fault);
    QFETCH(int, packet);
    TScriptedPeer peer([fault, packet](const TKermitPacket &p, int index) {
        if (index == packet)
            return Faulty(fault, p);
        return TScriptedPeer::Acknowledging()(p, index);
    });
    Tkermit k;
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    const QByteArray data(500, 'z'); // F, six D packets, Z
    k.SendFile("AGAIN", data);
    QVERIFY(k.Disconnect());
    const QList<TKermitPacket> packets = peer.Packets();
    QCOMPARE(Types(packets), QStringLiteral("SFDDDDDDZB").insert(packet, QChar(packets.at(packet).Type)));
    QCOMPARE(packets.at(packet + 1).Seq, packets.at(packet).Seq);
    QCOMPARE(packets.at(packet + 1).Data, packets.at(packet).Data);
    QList<TKermitPacket> once = packets;
    once.removeAt(packet);
    QCOMPARE(Decode(once), data);
}

void TestKermitExchange::duplicateAckIsIgnored()
{
    // A late second copy of the previous answer comes first; the real answer follows. Nothing is
    // sent twice.
    TScriptedPeer peer([](const TKermitPacket &p, int index) {
        TPeerReply reply = TScriptedPeer::Acknowledging()(p, index);
        if (p.Type == 'D')
            reply.Bytes.prepend(Faulty(DuplicateAck, p).Bytes);
        return reply;
    });
    Tkermit k;
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    k.SendFile("TWICE", QByteArray(300, 'd'));
    QVERIFY(k.Disconnect());
    QCOMPARE(Types(peer.Packets()), QStringLiteral("SFDDDDZB"));
}

void TestKermitExchange::burstOfBadPacketsCostsOneTry()
{
    // A noisy line leaves several bad or repeated packets waiting at once. One answer serves for
    // all of them, whichever side is sending: with three tries, twelve of them end nothing.
    TScriptedPeer sending([](const TKermitPacket &p, int index) {
        return index == 3 ? TPeerReply{Faulty(BadCheck, p).Bytes.repeated(12)} : TScriptedPeer::Acknowledging()(p, index);
    });
    Tkermit k;
    k.Options.MaxTries = 3;
    k.Open(sending.DevicePath());
    QVERIFY(k.Connect());
    k.SendFile("NOISY", QByteArray(300, 'n'));
    QVERIFY(k.Disconnect());
    QCOMPARE(Types(sending.Packets()), QStringLiteral("SFDDDDDZB"));

    // The calculator sends: it repeats its first data packet twelve times over, as if it had
    // missed our answer each time.
    const QByteArray data = TScriptedPeer::Packet('D', 2, "abc");
    std::atomic<int> answersToData{0};
    TScriptedPeer receiving([data, &answersToData](const TKermitPacket &p, int) {
        if (p.Type == 'R')
            return TPeerReply{TScriptedPeer::Packet('S', 0, "~* @-#Y1")};
        if (p.Type != 'Y')
            return TPeerReply{};
        switch (p.Seq) {
        case 0: return TPeerReply{TScriptedPeer::Packet('F', 1, "NOISY")};
        case 1: return TPeerReply{data};
        case 2: return TPeerReply{++answersToData == 1 ? data.repeated(12) : TScriptedPeer::Packet('Z', 3)};
        case 3: return TPeerReply{TScriptedPeer::Packet('B', 4)};
        default: return TPeerReply{};
        }
    });
    Tkermit r;
    r.Options.MaxTries = 3;
    r.Open(receiving.DevicePath());
    const QList<TReceivedFile> files = r.GetFiles("NOISY");
    QCOMPARE(files.size(), 1);
    QCOMPARE(files.at(0).Data, QByteArray("abc"));
    QCOMPARE(answersToData, 2);
}

void TestKermitExchange::failedAcknowledgement_data()
{
    QTest::addColumn<TFault>("fault");
    QTest::addColumn<int>("packet");
    QTest::addColumn<int>("copies");
    QTest::newRow("N for a D packet, every time") << NakThis << 3 << 3;
    QTest::newRow("bad check, every time") << BadCheck << 2 << 3;
    QTest::newRow("calculator falls silent mid-file") << Silence << 5 << 3;
    QTest::newRow("peer drips a packet whose LEN is 94") << DripLongPacket << 2 << 3;
    // An error packet is the calculator's last word: nothing is tried again.
    QTest::newRow("E packet for a D packet") << ErrorPacket << 4 << 1;
    QTest::newRow("E packet for the Z packet") << ErrorPacket << 8 << 1;
    QTest::newRow("calculator vanishes mid-file") << HangUp << 4 << 3;
}

void TestKermitExchange::failedAcknowledgement()
{
    QFETCH(TFault, fault);
    QFETCH(int, packet);
    QFETCH(int, copies);
    TScriptedPeer peer([fault, packet](const TKermitPacket &p, int index) {
        if (index >= packet && p.Type != 'S')
            return Faulty(fault, p);
        return TScriptedPeer::Acknowledging()(p, index);
    });
    Tkermit k;
    k.Options.MaxTries = 3;
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    QElapsedTimer clock;
    clock.start();
    try {
        k.SendFile("FAILS", QByteArray(500, 'z'));
        QFAIL("the failure was not noticed");
    } catch (const EErrorTransmission &e) {
        // Under the usual first line, the calculator's own words, or what to check.
        const QString detail = fault == ErrorPacket ? ResString(TResId::sPeerRefused).arg("Disk full")
                                                    : ResString(TResId::sAnswersStoppedHint);
        QCOMPARE(e.Message(), ResString(TResId::sErrorReceivingPacket) + '\n' + detail);
    }
    // Each try waits one read limit at most.
    QVERIFY(clock.elapsed() < copies * 2000 + 1500);
    // The failing packet went out the given number of times, and nothing followed it (a dripping
    // or vanished peer reads no more).
    QTest::qWait(50);
    if (fault != HangUp && fault != DripLongPacket) {
        QCOMPARE(peer.Packets().size(), packet + copies);
        for (int i = packet; i < packet + copies; ++i)
            QCOMPARE(peer.Packets().at(i).Seq, packet);
    }
}

void TestKermitExchange::connectFailsOnBadAnswer_data()
{
    QTest::addColumn<QByteArray>("answer");
    // Only a calculator that said nothing readable gets the hint to check the line.
    QTest::addColumn<bool>("hint");
    QTest::newRow("N for the send-init packet itself") << TScriptedPeer::Packet('N', 0) << false;
    QTest::newRow("E packet") << TScriptedPeer::Packet('E', 0, "Not a server") << false;
    QByteArray corrupted = TScriptedPeer::Packet('Y', 0, "~* @-#Y1");
    corrupted[6] = 'Z';
    QTest::newRow("bad check") << corrupted << true;
    QTest::newRow("answer for another packet") << TScriptedPeer::Packet('Y', 1, "~* @-#Y1") << false;
    QTest::newRow("noise only") << QByteArray("Awaiting Server Cmd.\r\n") << true;
}

void TestKermitExchange::connectFailsOnBadAnswer()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, hint);
    TScriptedPeer peer([answer](const TKermitPacket &, int) { return TPeerReply{answer}; });
    Tkermit k;
    k.Options.MaxTries = 2;
    k.Open(peer.DevicePath());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!k.Connect());
    QCOMPARE(!k.NoAnswerHint().isEmpty(), hint);
    QVERIFY(clock.elapsed() < 4500);
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
    // The request is seen after the first data packet; the calculator is told to drop the file.
    QCOMPARE(reports, (QList<qint64>{0, 92}));
    QVERIFY(peer.WaitForPackets(4, 1000));
    QCOMPARE(Types(peer.Packets()), QStringLiteral("SFDE"));
    // The object stays usable: a new connection starts afresh.
    QVERIFY(k.Connect());
    QCOMPARE(k.PacketCounter(), 0);
}

void TestKermitExchange::cancelWhileWaiting_data()
{
    QTest::addColumn<char>("silentOn");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("types");
    QTest::newRow("file of one packet, waiting for D's answer") << 'D' << 50 << "SFDE";
    QTest::newRow("waiting for the send-init answer") << 'S' << 50 << "SE";
    QTest::newRow("waiting for Z's answer") << 'Z' << 0 << "SFZE";
}

void TestKermitExchange::cancelWhileWaiting()
{
    // The calculator says nothing; the user gives up while the engine waits for it.
    QFETCH(char, silentOn);
    QFETCH(int, size);
    QFETCH(QString, types);
    TScriptedPeer peer([silentOn](const TKermitPacket &p, int index) {
        if (p.Type == silentOn)
            return TPeerReply{};
        return TScriptedPeer::Acknowledging()(p, index);
    });
    Tkermit k;
    QElapsedTimer sinceRequest;
    int waits = 0;
    k.OnWait = [&](bool &cancel) {
        ++waits;
        if (!sinceRequest.isValid() && peer.Packets().size() == types.size() - 1)
            sinceRequest.start();
        cancel = sinceRequest.isValid() && sinceRequest.elapsed() > 300;
    };
    k.Open(peer.DevicePath());
    try {
        QVERIFY(k.Connect());
        k.SendFile("WAIT", QByteArray(size, 'w'));
        QFAIL("cancelling did not stop the exchange");
    } catch (const ETransferCancelled &e) {
        QCOMPARE(e.Message(), ResString(TResId::sTransferCancelled));
    }
    QVERIFY2(sinceRequest.elapsed() < 300 + 300, qPrintable(QString::number(sinceRequest.elapsed())));
    QVERIFY(waits >= 5);
    QVERIFY(peer.WaitForPackets(int(types.size()), 1000));
    QCOMPARE(Types(peer.Packets()), types);
}

void TestKermitExchange::repeatCounts_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("offer");
    QTest::addColumn<bool>("used");
    QTest::newRow("both offer ~") << QByteArray("~* @-#Y3~") << true << true;
    QTest::newRow("calculator answers without it") << QByteArray("~* @-#Y3") << true << false;
    QTest::newRow("calculator answers a blank") << QByteArray("~* @-#Y3 ") << true << false;
    QTest::newRow("turned off here") << QByteArray("~* @-#Y3~") << false << false;
}

void TestKermitExchange::repeatCounts()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, offer);
    QFETCH(bool, used);
    TScriptedPeer peer(TScriptedPeer::Acknowledging(answer, 3));
    Tkermit k;
    k.Options.RepeatCounts = offer;
    k.Open(peer.DevicePath());
    QVERIFY(k.Connect());
    // Runs of every length around the threshold and past one count, high and prefix bytes, and
    // the prefix itself as data.
    QByteArray data = QByteArray(4096, '\0') + "abbbcccc" + QByteArray(200, char(0xFF)) + "~~~~~~#&&&&&~" + QByteArray(3, 'x');
    k.SendFile("RUNS", data);
    QVERIFY(k.Disconnect());
    QVERIFY(peer.ChecksGood());
    const QList<TKermitPacket> packets = peer.Packets();
    QCOMPARE(packets.at(0).Data.size(), offer ? 9 : 8);
    QCOMPARE(Decode(packets, used ? '~' : 0), data);
    int dataPackets = 0;
    for (const TKermitPacket &p : packets)
        dataPackets += p.Type == 'D';
    QVERIFY(used ? dataPackets <= 4 : dataPackets > 90);
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
