// The scans that find codes many bytes at a time must find exactly what a byte-by-byte look finds,
// wherever in a block of bytes the code falls and however short the rest is.
#include "u_ByteScan.h"
#include "u_EditorAttrs.h"
#include "u_LargePages.h"

#include <QTest>

class TestByteScan : public QObject {
    Q_OBJECT

private slots:
    void scansAgreeWithOneByteAtATime()
    {
        TByteSet set;
        set.Below = 3;
        set.Equal = {11, 13, 34, 34};
        const TByteFinder finder(set);
        QByteArray data(80, 'a');
        // Each code in turn at every position, scanned from every start.
        for (const char code : {'\0', '\2', '\x0B', '\x0D', '"', '\3'}) {
            for (int at = 0; at < data.size(); ++at) {
                QByteArray d = data;
                d[at] = code;
                const auto *p = reinterpret_cast<const uint8_t *>(d.constData());
                for (int from = 0; from <= d.size(); from += 7) {
                    const bool hit = set.Has(uint8_t(code)) && at >= from;
                    QCOMPARE(finder.Find(p, from, d.size()), hit ? at : d.size());
                }
                QCOMPARE(CountByte(d, uint8_t(code)), 1);
                QCOMPARE(OrOfBytes(p + at, d.size() - at) & 0x80, 0);
            }
        }
        // Counting past what one lane holds.
        QCOMPARE(CountByte(QByteArray(100000, '\n') + "x\n", '\n'), 100001);
        QCOMPARE(OrOfBytes(reinterpret_cast<const uint8_t *>("\0\0\0\0\0\0\0\0\0\x40"), 10), 0x40);
    }

    void refusedSetIsExactlyWhatEachKindRefuses()
    {
        // The writers drop what the set finds: a byte too many would vanish from saved files.
        QByteArray all;
        for (int c = 0; c < 256; ++c)
            all.append(char(c));
        const auto *p = reinterpret_cast<const uint8_t *>(all.constData());
        for (const TEditor kind : {TEditor::Tgv, TEditor::Xview, TEditor::Eden, TEditor::Standard, TEditor::Hp49}) {
            const std::optional<TByteSet> set = RefusedCharacters(kind);
            QVERIFY(set);
            const TByteFinder finder(*set);
            QByteArray found;
            for (qsizetype at = finder.Find(p, 0, all.size()); at < all.size(); at = finder.Find(p, at + 1, all.size()))
                found.append(char(at));
            QByteArray refused;
            for (int c = 0; c < 256; ++c)
                if (!IsCharAllowed(uint8_t(c), kind))
                    refused.append(char(c));
            QCOMPARE(found, refused);
        }
    }

    void largeBufferKeepsItsBytesAsItGrows()
    {
        TLargeBuffer b(QByteArrayView("abc"));
        b.Resize(20 << 20);
        b.Data()[(20 << 20) - 1] = 'z';
        b.Resize((20 << 20) + 1);
        QCOMPARE(b.View().first(3), QByteArrayView("abc"));
        QCOMPARE(b.Data()[(20 << 20) - 1], 'z');
        b.Clear();
        QVERIFY(b.IsEmpty());
    }
};

QTEST_APPLESS_MAIN(TestByteScan)
#include "tst_bytescan.moc"
