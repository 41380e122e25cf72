// Nibble, byte and 5-nibble encodings of calculator binary data, and reads that run past the end.
#include "u_HPNibs.h"
#include "u_utils.h"

#include <QTest>

class TestHPNibs : public QObject {
    Q_OBJECT

private slots:
    void writerPacksLowHalfFirstAndReaderAgrees()
    {
        TNibbleWriter w;
        w.Number5(PrologString);
        w.Number5(21);
        QCOMPARE(w.Data(), QByteArray("\x2C\x2A\x50\x01\x00", 5));
        // Bytes after an odd number of nibbles straddle two bytes.
        w.Nibble(0xA);
        w.Byte(0x3C);
        w.Bytes("\x12");
        QCOMPARE(w.NibbleCount(), 15);
        const QByteArray data = w.Take();
        QCOMPARE(data.mid(5), QByteArray("\xCA\x23\x01", 3));

        TNibbleReader r(data);
        QCOMPARE(r.PeekNumber5(), PrologString);
        QCOMPARE(r.Number5(), PrologString);
        QCOMPARE(r.NibblePos(), 5);
        QCOMPARE(r.Number5(), 21);
        QCOMPARE(r.Nibble(), 0xA);
        QCOMPARE(r.Byte(), uint8_t(0x3C));
        QCOMPARE(r.Byte(), uint8_t(0x12));
        QVERIFY(!r.Short());
        QVERIFY(!r.AtEnd()); // the padding half of the last byte
    }

    void readsPastTheEndStopThereAndSaySo()
    {
        const QByteArray data("\x1E\x2B\x50", 3);
        TNibbleReader r(data);
        r.SkipNibbles(2);
        // The nibbles held are taken, the missing ones read as zero.
        QCOMPARE(r.Number5(), 0x502B);
        QVERIFY(r.Short());
        QVERIFY(r.AtEnd());
        QCOMPARE(r.NibblePos(), 6);
        QCOMPARE(r.Byte(), uint8_t(0));
        QCOMPARE(r.Nibble(), 0);
        QCOMPARE(r.NibblePos(), 6);

        TNibbleReader b(data);
        QCOMPARE(b.Bytes(2), QByteArrayView(data).first(2));
        QVERIFY(!b.Short());
        QCOMPARE(b.Bytes(100000), QByteArrayView(data).sliced(2));
        QVERIFY(b.Short());
        QCOMPARE(b.BytePos(), 3);

        TNibbleReader s(data);
        s.SeekByte(3);
        QVERIFY(!s.Short() && s.AtEnd() && !s.Holds(1));
        s.SeekByte(-1);
        QVERIFY(s.Short());
        QCOMPARE(s.NibblePos(), 0);
        QCOMPARE(s.Bytes(-5).size(), 0);

        TNibbleReader empty{QByteArrayView()};
        QCOMPARE(empty.Number5(), 0);
        QVERIFY(empty.Short());
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
