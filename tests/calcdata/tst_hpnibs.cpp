// Nibble, bit, byte and 5-nibble encodings of calculator binary data, with their cursor rules.
#include "u_HPNibs.h"
#include "u_utils.h"

#include <QBuffer>
#include <QTest>

class TestHPNibs : public QObject {
    Q_OBJECT

    static QByteArray Bytes(const TArrNib &a) { return a.Bytes(); }

private slots:
    void freshArray()
    {
        TArrNib a;
        QCOMPARE(a.FCapacity, 1000);
        QCOMPARE(a.FSize, 0);
        QVERIFY(a.AtEnd());
    }

    void nibblesFillLowHalfFirst()
    {
        TArrNib a;
        a.WriteNibble(5);
        QCOMPARE(Bytes(a), QByteArray("\x05", 1));
        QCOMPARE(a.FPosition, 0);
        a.WriteNibble(0xA);
        QCOMPARE(Bytes(a), QByteArray("\xA5", 1));
        QCOMPARE(a.FPosition, 1);
        QCOMPARE(a.FNibblePos, uint8_t(0));
    }

    void nibbleWriteKeepsOtherHalf()
    {
        TArrNib a;
        a.WriteByte(0xFF);
        a.FPosition = 0;
        a.FNibblePos = 1;
        a.WriteNibble(0);
        QCOMPARE(uchar(a.FBuffer[0]), uchar(0x0F));
    }

    void number5AcrossByteBoundary()
    {
        TArrNib a;
        a.WriteNumber5(PrologString);
        a.WriteNumber5(21);
        QCOMPARE(Bytes(a), QByteArray("\x2C\x2A\x50\x01\x00", 5));
        QCOMPARE(a.FSize, 5);
        QCOMPARE(a.FPosition, 5);
        QCOMPARE(a.FNibblePos, uint8_t(0));

        a.FPosition = 0;
        QCOMPARE(a.ReadNumber5(), PrologString);
        QCOMPARE(a.FNibblePos, uint8_t(1));
        QCOMPARE(a.ReadNumber5(), 21);

        TArrNib b;
        b.WriteBlock("\x1E\x2B\x50", 3);
        b.FPosition = 0;
        QCOMPARE(b.ReadNumber5(), PrologGrob);
        QCOMPARE(b.FNibblePos, uint8_t(1));
        QCOMPARE(b.ReadNibble(), 5);
    }

    void number5KeepsLow20Bits()
    {
        TArrNib a;
        a.WriteNumber5(0x123456);
        a.FPosition = 0;
        a.FNibblePos = 0;
        QCOMPARE(a.ReadNumber5(), 0x23456);
    }

    void bitsFillFromBitZero()
    {
        TArrNib a;
        for (int i = 0; i < 8; ++i)
            a.WriteBit(1);
        QCOMPARE(uchar(a.FBuffer[0]), uchar(0xFF));
        QCOMPARE(a.FPosition, 1);

        TArrNib b;
        b.WriteBit(1);
        b.WriteBit(0);
        QCOMPARE(Bytes(b), QByteArray("\x01", 1));
    }

    void byteWriteResetsBitPosition()
    {
        TArrNib a;
        a.WriteBit(1);
        a.WriteBit(1);
        a.WriteBit(1);
        a.WriteByte(0x40);
        QCOMPARE(uchar(a.FBuffer[0]), uchar(0x40));
        QCOMPARE(a.FBitPos, uint8_t(0));
        QCOMPARE(a.FPosition, 1);
    }

    void growthIsFixedStep()
    {
        TArrNib a;
        QByteArray data(1000, 'x');
        QBuffer buf(&data);
        buf.open(QIODevice::ReadOnly);
        a.ReadFromStream(buf, int32_t(data.size()));
        QCOMPARE(a.FSize, 1000);
        QCOMPARE(a.FCapacity, 2000);
        a.FPosition = 999;
        a.ReadByte();
        QVERIFY(a.AtEnd());
        QCOMPARE(uchar(a.FBuffer[1999]), uchar(0));

        TArrNib b;
        QByteArray big(5000, 'y');
        b.WriteBlock(big.constData(), int32_t(big.size()));
        QCOMPARE(b.FCapacity, 6000);
        QVERIFY(b.FSize < b.FCapacity);
    }

    void shortStreamStillCountsRequestedBytes()
    {
        TArrNib a;
        QByteArray data("abc");
        QBuffer buf(&data);
        buf.open(QIODevice::ReadOnly);
        QCOMPARE(a.ReadFromStream(buf, 10), qint64(3));
        QCOMPARE(a.FSize, 10);
        QCOMPARE(a.FPosition, 10);
    }

    void readsPastAllocationGiveZero()
    {
        TArrNib a;
        a.FPosition = 5000;
        QCOMPARE(a.ReadByte(), uint8_t(0));
        a.FPosition = 999;
        QByteArray text;
        a.ReadChars(4, text);
        QCOMPARE(text, QByteArray(4, '\0'));
        a.FPosition = 123456;
        QCOMPARE(a.ReadNumber5(), 0);
        QVERIFY(!a.ReadBit());
        QCOMPARE(a.FSize, 0);
    }

    void charsRoundTrip()
    {
        TArrNib a;
        const QByteArray text("\x00\x80\xFFHello", 8);
        a.WriteChars(text);
        a.FPosition = 0;
        QByteArray back("x");
        a.ReadChars(8, back);
        QCOMPARE(back, "x" + text);
        QByteArray none;
        a.ReadChars(-1, none);
        QVERIFY(none.isEmpty());
    }

    void fileNameWithoutExt_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("several dots") << "/a/b/my.font.fnt" << "my";
        QTest::newRow("no dot") << "/a/b/plain" << "plain";
        QTest::newRow("leading dot") << "/a/.hidden" << "";
        QTest::newRow("dot in folder") << "/a.b/c" << "c";
        QTest::newRow("bare name") << "XVDefault.fnt" << "XVDefault";
    }
    void fileNameWithoutExt()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(FileNameWithoutExt(path), name);
    }
};

QTEST_MAIN(TestHPNibs)
#include "tst_hpnibs.moc"
