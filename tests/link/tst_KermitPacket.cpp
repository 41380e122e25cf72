// The Kermit packet rules on their own: encodings, block checks, packet layout, reading packets and
// the parameters of the send-init exchange, plus the header adaptation of calculator files.
#include "u_CalculatorFile.h"
#include "u_CalculatorName.h"
#include "u_ResourceStrings.h"
#include "u_Kermit.h"
#include "u_ReceivedFile.h"

#include <QTest>

namespace {
QByteArray Hex(const char *Text)
{
    return QByteArray::fromHex(Text);
}

// A byte source over a fixed buffer; reads past its end time out.
Tkermit::TByteSource Bytes(const QByteArray &Data, int *Silences = nullptr)
{
    auto pos = std::make_shared<qsizetype>(0);
    return [Data, pos, Silences](uint8_t &b) {
        if (*pos >= Data.size()) {
            if (Silences)
                ++*Silences;
            return false;
        }
        b = uint8_t(Data.at((*pos)++));
        return true;
    };
}

TKermitParams SendInitPeer()
{
    // What Connect puts in force before the first packet: CR, no padding, check type 1.
    TKermitParams p;
    p.Eol = 13;
    p.NPad = 0;
    p.CheckType = 1;
    return p;
}
} // namespace

class TestKermitPacket : public QObject {
    Q_OBJECT
private slots:
    void decodingUndoesEncoding();
    void safeLocalNames_data();
    void safeLocalNames();
    void encodeByte_data();
    void encodeByte();
    void encodedLengthMatchesEveryEncoding();
    void blockCheck_data();
    void blockCheck();
    void wirePackets();
    void sequenceWrapsAt64();
    void readPacket_data();
    void readPacket();
    void markHuntBudget();
    void peerParams_data();
    void peerParams();
    void repeatPieces();
    void calculatorNames_data();
    void calculatorNames();
    void headerAdaptation_data();
    void headerAdaptation();
};

void TestKermitPacket::encodeByte_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("carriage return") << 0x0D << Hex("234D");
    QTest::newRow("carriage return with high bit") << 0x8D << Hex("26234D");
    QTest::newRow("delete") << 0x7F << Hex("233F");
    QTest::newRow("0xFF") << 0xFF << Hex("26233F");
    QTest::newRow("control prefix itself") << 0x23 << Hex("2323");
    QTest::newRow("eighth-bit prefix itself") << 0x26 << Hex("2326");
    QTest::newRow("control prefix with high bit") << 0xA3 << Hex("262323");
    QTest::newRow("eighth-bit prefix with high bit") << 0xA6 << Hex("262326");
    QTest::newRow("plain letter") << 0x41 << Hex("41");
    QTest::newRow("NUL") << 0x00 << Hex("2340");
    QTest::newRow("space") << 0x20 << Hex("20");
    QTest::newRow("0x80") << 0x80 << Hex("262340");
    QTest::newRow("0xA0 is a high space") << 0xA0 << Hex("2620");
}

void TestKermitPacket::encodeByte()
{
    QFETCH(int, value);
    QFETCH(QByteArray, wire);
    QCOMPARE(Tkermit::EncodeByte(uint8_t(value)), wire);
}

void TestKermitPacket::encodedLengthMatchesEveryEncoding()
{
    // The packet filler trusts the length without encoding; every value must agree, and every
    // encoded character must be printable so that packets stay 7-bit clean.
    for (int v = 0; v < 256; ++v) {
        const QByteArray e = Tkermit::EncodeByte(uint8_t(v));
        QCOMPARE(Tkermit::EncodedLength(uint8_t(v)), int(e.size()));
        for (char c : e)
            QVERIFY2(uint8_t(c) >= 32 && uint8_t(c) < 127, qPrintable(QString::number(v)));
    }
}

void TestKermitPacket::blockCheck_data()
{
    QTest::addColumn<QByteArray>("span");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("sevenBit");
    QTest::addColumn<QByteArray>("check");
    // LEN SEQ TYPE of a B packet: 0x23 + 0x24 + 0x42 = 0x89, folded: (0x89 + 2) & 0x3F = 0x0B.
    QTest::newRow("type 1, B packet") << Hex("232442") << 1 << false << Hex("2B");
    QTest::newRow("type 1, send-init") << Hex("2B20537E2220402D232631") << 1 << false
                                       << Hex("26");
    // Sum 0x89: high six bits 2, low six bits 9.
    QTest::newRow("type 2") << Hex("232442") << 2 << false << Hex("2229");
    // The CRC of "123456789" is 0x2189: 0x2, 0x06, 0x09.
    QTest::newRow("type 3, CRC reference") << QByteArray("123456789") << 3 << false << Hex("222629");
    QTest::newRow("type 3, empty") << QByteArray() << 3 << false << Hex("202020");
    // Sum 0xC0 + 0xC1 = 0x181, twelve bits: type 1 folds bits 6-7 (0x02) into 0x01 -> 0x03.
    QTest::newRow("type 1, high bytes, 8 bits") << Hex("C0C1") << 1 << false << Hex("23");
    // Counting seven bits only: 0x40 + 0x41 = 0x81 -> (0x81 + 2) & 0x3F = 0x03.
    QTest::newRow("type 1, high bytes, 7 bits") << Hex("C0C1") << 1 << true << Hex("23");
    QTest::newRow("type 2, high bytes, 7 bits") << Hex("C0C1") << 2 << true << Hex("2221");
    QTest::newRow("type 2, high bytes, 8 bits") << Hex("C0C1") << 2 << false << Hex("2621");
    // The sum keeps only twelve bits: 32 bytes of 0xFF sum to 0x1FE0 -> 0xFE0.
    QTest::newRow("type 2, sum past twelve bits") << QByteArray(32, char(0xFF)) << 2 << false << Hex("5F40");
}

void TestKermitPacket::blockCheck()
{
    QFETCH(QByteArray, span);
    QFETCH(int, type);
    QFETCH(bool, sevenBit);
    QFETCH(QByteArray, check);
    QCOMPARE(Tkermit::BlockCheck(span, type, sevenBit), check);
}

void TestKermitPacket::wirePackets()
{
    Tkermit k;
    QCOMPARE(k.BuildSendInit(), Hex("7E2220402D232631"));
    QCOMPARE(Tkermit::BuildPacket('S', 0, k.BuildSendInit(), SendInitPeer(), false),
             Hex("012B20537E2220402D23263126 0D"));
    QCOMPARE(Tkermit::BuildPacket('B', 4, QByteArray(), SendInitPeer(), false), Hex("012324422B0D"));

    // Padding goes in front of MARK, the end character after the check, and the check grows with
    // its type.
    TKermitParams padded = SendInitPeer();
    padded.NPad = 3;
    padded.PadC = 0x00;
    padded.Eol = 12;
    padded.CheckType = 3;
    const QByteArray z = Tkermit::BuildPacket('Z', 2, QByteArray(), padded, false);
    QCOMPARE(z.left(4), Hex("00000001"));
    QCOMPARE(z.at(4), char(0x20 + 5));
    QCOMPARE(z.mid(7, 3), Tkermit::BlockCheck(z.mid(4, 3), 3, false));
    QCOMPARE(z.size(), 3 + 1 + 3 + 3 + 1);
    QCOMPARE(z.back(), char(12));
}

void TestKermitPacket::sequenceWrapsAt64()
{
    const TKermitParams peer = SendInitPeer();
    QCOMPARE(Tkermit::BuildPacket('D', 63, "x", peer, false).at(2), char(0x20 + 63));
    QCOMPARE(Tkermit::BuildPacket('D', 64, "x", peer, false).at(2), char(0x20));
    QCOMPARE(Tkermit::BuildPacket('D', 64, "x", peer, false), Tkermit::BuildPacket('D', 0, "x", peer, false));
}

void TestKermitPacket::readPacket_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<int>("checkType");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("seq");
    QTest::addColumn<QByteArray>("data");

    TKermitParams p = SendInitPeer();
    const QByteArray ackS = Tkermit::BuildPacket('Y', 0, "~* @-#Y1", p, false);
    QTest::newRow("answer to send-init") << ackS << 1 << true << "Y" << 0 << QByteArray("~* @-#Y1");
    QTest::newRow("noise before MARK") << Hex("0D0A41") + ackS << 1 << true << "Y" << 0 << QByteArray("~* @-#Y1");
    QByteArray flipped = ackS;
    flipped[5] = char(flipped[5] ^ 1);
    QTest::newRow("corrupted data fails its check") << flipped << 1 << false << "Y" << 0 << QByteArray();
    p.CheckType = 3;
    const QByteArray crc = Tkermit::BuildPacket('N', 7, QByteArray(), p, false);
    QTest::newRow("CRC-checked negative answer") << crc << 3 << true << "N" << 7 << QByteArray();
    QTest::newRow("cut short inside the packet") << ackS.left(6) << 1 << false << "" << 0 << QByteArray();
    QTest::newRow("cut short in the check") << crc.left(crc.size() - 2) << 3 << false << "" << 0 << QByteArray();
    // LEN 2 leaves no room for a one-character check: a negative data count.
    QTest::newRow("LEN too small for its check") << Hex("0122205941") << 1 << false << "" << 0 << QByteArray();
    QTest::newRow("LEN too small for a CRC") << Hex("01242059414142") << 3 << false << "" << 0 << QByteArray();
    // A line with a parity bit sets bit 7 on some characters; the reader masks it away.
    QByteArray parity = Tkermit::BuildPacket('Y', 3, "AB", SendInitPeer(), false);
    for (int i = 1; i < parity.size(); i += 2)
        parity[i] = char(parity[i] | 0x80);
    QTest::newRow("parity bits masked") << parity << 1 << true << "Y" << 3 << QByteArray("AB");
}

void TestKermitPacket::readPacket()
{
    QFETCH(QByteArray, wire);
    QFETCH(int, checkType);
    QFETCH(bool, ok);
    QFETCH(QString, type);
    QFETCH(int, seq);
    QFETCH(QByteArray, data);
    int silences = 0;
    TKermitPacket packet;
    QCOMPARE(Tkermit::ReadPacket(Bytes(wire, &silences), checkType, false, packet), ok);
    // A missing byte inside a packet ends the read at once: never more than one wait.
    QVERIFY(silences <= 1);
    if (ok) {
        QCOMPARE(QString(QChar(packet.Type)), type);
        QCOMPARE(packet.Seq, seq);
        QCOMPARE(packet.Data, data);
    }
}

void TestKermitPacket::markHuntBudget()
{
    TKermitPacket packet;
    // A silent line: two waits, then the hunt gives up.
    int silences = 0;
    QVERIFY(!Tkermit::ReadPacket(Bytes(QByteArray(), &silences), 1, false, packet));
    QCOMPARE(silences, 2);
    // Nineteen stray bytes leave budget for MARK; twenty exhaust it.
    const QByteArray ack = Tkermit::BuildPacket('Y', 1, QByteArray(), SendInitPeer(), false);
    QVERIFY(Tkermit::ReadPacket(Bytes(QByteArray(19, 'x') + ack), 1, false, packet));
    QVERIFY(!Tkermit::ReadPacket(Bytes(QByteArray(20, 'x') + ack), 1, false, packet));
    // One wait and ten stray bytes also exhaust it.
    silences = 0;
    auto source = [&, n = 0](uint8_t &b) mutable {
        ++n;
        if (n == 1) {
            ++silences;
            return false;
        }
        b = n <= 11 ? 'x' : 0x01;
        return true;
    };
    QVERIFY(!Tkermit::ReadPacket(source, 1, false, packet));
}

void TestKermitPacket::peerParams_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("maxl");
    QTest::addColumn<int>("npad");
    QTest::addColumn<int>("padc");
    QTest::addColumn<int>("eol");
    QTest::addColumn<int>("checkType");
    QTest::newRow("C-Kermit's answer") << QByteArray("~* @-#Y1~  _") << 94 << 0 << 0 << 13 << 1;
    QTest::newRow("empty: every default") << QByteArray() << 94 << 0 << 12 << 12 << 1;
    QTest::newRow("seven fields keep check type 1") << QByteArray("P* @-#Y") << 48 << 0 << 0 << 13 << 1;
    QTest::newRow("padding asked for") << QByteArray("~*\"@-#Y2") << 94 << 2 << 0 << 13 << 2;
    QTest::newRow("CRC") << QByteArray("~* @-#Y3") << 94 << 0 << 0 << 13 << 3;
    QTest::newRow("unknown check type") << QByteArray("~* @-#Y7") << 94 << 0 << 0 << 13 << 1;
    QTest::newRow("check type below 1") << QByteArray("~* @-#Y0") << 94 << 0 << 0 << 13 << 1;
    QTest::newRow("smallest usable length") << QByteArray("&* @-#Y1") << 6 << 0 << 0 << 13 << 1;
    QTest::newRow("length too small for one byte") << QByteArray("%* @-#Y1") << 94 << 0 << 0 << 13 << 1;
    QTest::newRow("length too small with a CRC") << QByteArray("'* @-#Y3") << 94 << 0 << 0 << 13 << 3;
    QTest::newRow("length past what LEN can say") << QByteArray("\x7F* @-#Y1") << 94 << 0 << 0 << 13 << 1;
}

void TestKermitPacket::peerParams()
{
    QFETCH(QByteArray, data);
    QFETCH(int, maxl);
    QFETCH(int, npad);
    QFETCH(int, padc);
    QFETCH(int, eol);
    QFETCH(int, checkType);
    const TKermitParams p = Tkermit::ParsePeerParams(data);
    QCOMPARE(p.MaxL, maxl);
    QCOMPARE(p.NPad, npad);
    QCOMPARE(int(p.PadC), padc);
    QCOMPARE(int(p.Eol), eol);
    QCOMPARE(p.CheckType, checkType);
}

void TestKermitPacket::repeatPieces()
{
    // The answer's ninth field names the repeat prefix; a blank or a character that cannot be a
    // prefix means none.
    QCOMPARE(int(Tkermit::ParsePeerParams("~* @-#Y3~").Rept), int('~'));
    QCOMPARE(int(Tkermit::ParsePeerParams("~* @-#Y3 ").Rept), 0);
    QCOMPARE(int(Tkermit::ParsePeerParams("~* @-#Y3").Rept), 0);

    QByteArray piece;
    const QByteArray zeros(100, '\0');
    QCOMPARE(Tkermit::EncodePiece(zeros.constData(), 100, '~', piece), qint64(94));
    QCOMPARE(piece, QByteArray("~~#@"));
    QCOMPARE(Tkermit::EncodePiece(zeros.constData(), 4, '~', piece), qint64(4));
    QCOMPARE(piece, QByteArray("~$#@"));
    QCOMPARE(Tkermit::EncodePiece(zeros.constData(), 3, '~', piece), qint64(3));
    QCOMPARE(piece, QByteArray("~##@"));
    QCOMPARE(Tkermit::EncodePiece("\xFF\xFF", 2, '~', piece), qint64(2));
    QCOMPARE(piece, QByteArray("~\"&#?"));
    QCOMPARE(Tkermit::EncodePiece(zeros.constData(), 100, 0, piece), qint64(1));
    // With the prefix agreed, "~" as data is quoted like the other prefixes.
    QCOMPARE(Tkermit::EncodeByte('~', '~'), QByteArray("#~"));
    QCOMPARE(Tkermit::EncodeByte(0xFE, '~'), QByteArray("&#~"));
    QCOMPARE(Tkermit::EncodeByte('~'), QByteArray("~"));
}

void TestKermitPacket::calculatorNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("codes");
    QTest::addColumn<QString>("problem");
    QTest::newRow("plain with prefix characters") << "A#&~.XV" << QByteArray("A#&~.XV") << QString();
    QTest::newRow("Latin-1 accents") << QString("ÉTÉ") << Hex("C954C9") << QString();
    QTest::newRow("calculator's own characters") << QString("π→∞…") << Hex("878D9F1F") << QString();
    QTest::newRow("a character it lacks") << QString("€5") << QByteArray()
                                          << ResString(TResId::sNameBadCharacter).arg("€5", "€");
    QTest::newRow("a control character") << QString("A	B") << QByteArray()
                                         << ResString(TResId::sNameBadCharacter).arg("A	B", "	");
    QTest::newRow("outside the basic plane") << QString::fromUcs4(U"X😀") << QByteArray()
                                             << ResString(TResId::sNameBadCharacter).arg(QString::fromUcs4(U"X😀"), QString::fromUcs4(U"😀"));
    QTest::newRow("empty") << QString() << QByteArray() << ResString(TResId::sNameEmpty);
    // 89 characters fill an F packet with the CRC; 45 that are each quoted need 90.
    QTest::newRow("longest plain name") << QString(89, 'N') << QByteArray(89, 'N') << QString();
    QTest::newRow("quoted characters count twice") << QString(45, '#') << QByteArray()
                                                   << ResString(TResId::sNameTooLong).arg(QString(45, '#'));
}

void TestKermitPacket::calculatorNames()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, codes);
    QFETCH(QString, problem);
    QString why;
    QCOMPARE(CalculatorName(name, &why), codes);
    QCOMPARE(why, problem);
    if (!codes.isEmpty())
        QCOMPARE(CalculatorNameText(codes), name);
}

void TestKermitPacket::headerAdaptation_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("calculator");
    QTest::addColumn<QByteArray>("sent");
    const QByteArray body = Hex("9D2D40A720");
    QTest::newRow("HP48 file to HP48") << "HPHP48-E" + body << CalculatorHP48 << "HPHP48-C" + body;
    QTest::newRow("HP48 file to HP49") << "HPHP48-E" + body << CalculatorHP49 << "HPHP49-X" + body;
    QTest::newRow("HP49 file to HP48") << "HPHP49-C" + body << CalculatorHP48 << "HPHP48-C" + body;
    QTest::newRow("byte 6 kept") << "HPHP49Q?" + body << CalculatorHP49 << "HPHP49QX" + body;
    QTest::newRow("exactly 8 bytes unchanged") << QByteArray("HPHP48-E") << CalculatorHP49 << QByteArray("HPHP48-E");
    QTest::newRow("9 bytes adapted") << QByteArray("HPHP48-E!") << CalculatorHP49 << QByteArray("HPHP49-X!");
    QTest::newRow("text transfer file unchanged") << QByteArray("%%HP: T(3)A(R)F(.);\r\n\"x\"") << CalculatorHP49
                                                  << QByteArray("%%HP: T(3)A(R)F(.);\r\n\"x\"");
    QTest::newRow("font without header unchanged") << QByteArray(2066, char(0x55)) << CalculatorHP48
                                                   << QByteArray(2066, char(0x55));
    QTest::newRow("unknown model left alone") << "HPHP48-E" + body << 2 << "HPHP48-E" + body;
    QTest::newRow("empty") << QByteArray() << CalculatorHP49 << QByteArray();
}

void TestKermitPacket::headerAdaptation()
{
    QFETCH(QByteArray, file);
    QFETCH(int, calculator);
    QFETCH(QByteArray, sent);
    QCOMPARE(AdaptCalculatorHeader(file, calculator), sent);
}

void TestKermitPacket::decodingUndoesEncoding()
{
    QByteArray data;
    for (int v = 0; v < 256; ++v)
        data += QByteArray(1 + v % 7, char(v));
    data += QByteArray(300, '~') + "#&~";
    for (const uint8_t rept : {uint8_t(0), uint8_t('~')}) {
        QByteArray wire, piece;
        for (qint64 i = 0; i < data.size();)
            i += Tkermit::EncodePiece(data.constData() + i, data.size() - i, rept, piece), wire += piece;
        QByteArray back;
        QVERIFY(Tkermit::DecodeData(wire, '#', '&', rept, back));
        QCOMPARE(back, data);
    }
    // Data cut inside a prefixed byte are refused.
    QByteArray out;
    QVERIFY(!Tkermit::DecodeData("ab&", '#', '&', 0, out));
    QVERIFY(!Tkermit::DecodeData("~", '#', '&', '~', out));
    QVERIFY(!Tkermit::DecodeData("#", '#', '&', 0, out));
}

void TestKermitPacket::safeLocalNames_data()
{
    QTest::addColumn<QByteArray>("codes");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << QByteArray("NOTES") << "NOTES";
    QTest::newRow("folder parts") << QByteArray("../../etc/passwd") << "_.._etc_passwd";
    QTest::newRow("leading dots") << QByteArray("..") << "received";
    QTest::newRow("hidden") << QByteArray(".profile") << "profile";
    QTest::newRow("control characters") << QByteArray("A\nB\x01") << "A_B_";
    QTest::newRow("calculator letters") << QByteArray("\x80") << CalculatorNameText("\x80");
    QTest::newRow("empty") << QByteArray() << "received";
    QTest::newRow("too long") << QByteArray(300, 'N') << QString(255, 'N');
}

void TestKermitPacket::safeLocalNames()
{
    QFETCH(QByteArray, codes);
    QFETCH(QString, name);
    QCOMPARE(SafeLocalName(codes), name);
}

QTEST_GUILESS_MAIN(TestKermitPacket)
#include "tst_KermitPacket.moc"
