// The compact line: every change keeps characters and attributes paired, whether the bytes sit in
// the line or in a block of their own, and whatever part of the line a change reads from.
#include "u_TextLine.h"

#include <QTest>
#include <cstring>

class TestTextLine : public QObject {
    Q_OBJECT

    static void Check(const TALine &L, const QByteArray &Chars, const QByteArray &Attrs)
    {
        QCOMPARE(L.Chars(), Chars);
        QCOMPARE(L.Attrs(), Attrs);
        QCOMPARE(L.Styled(), Attrs.count('\0') != Attrs.size());
        for (int i = 0; i < L.Length(); ++i)
            QCOMPARE(L.Attr(i), uint8_t(Attrs[i]));
    }

private slots:
    void splice_data()
    {
        QTest::addColumn<QByteArray>("chars");
        QTest::addColumn<QByteArray>("attrs");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("insChars");
        QTest::addColumn<QByteArray>("insAttrs");
        QTest::addColumn<QByteArray>("wantChars");
        QTest::addColumn<QByteArray>("wantAttrs");
        const QByteArray long20 = QByteArray("abcdefghijklmnopqrst");
        QTest::newRow("plain stays inline") << QByteArray("abc") << QByteArray() << 1 << 1 << QByteArray("XY")
                                            << QByteArray() << QByteArray("aXYc") << QByteArray(4, 0);
        QTest::newRow("styled run into plain text") << QByteArray("abcd") << QByteArray() << 2 << 0 << QByteArray("X")
                                                    << QByteArray("\x01") << QByteArray("abXcd")
                                                    << QByteArray("\0\0\x01\0\0", 5);
        QTest::newRow("inline grows into a block") << QByteArray("abcdefg") << QByteArray("1234567") << 7 << 0
                                                   << QByteArray("hij") << QByteArray() << QByteArray("abcdefghij")
                                                   << QByteArray("1234567\0\0\0", 10);
        QTest::newRow("block shrinks back inline") << long20 << QByteArray() << 2 << 17 << QByteArray() << QByteArray()
                                                   << QByteArray("abt") << QByteArray(3, 0);
        QTest::newRow("removing the last style makes it plain")
            << QByteArray("abc") << QByteArray("\0\x02\0", 3) << 1 << 1 << QByteArray("b") << QByteArray()
            << QByteArray("abc") << QByteArray(3, 0);
        QTest::newRow("fewer attributes than characters read 0")
            << QByteArray() << QByteArray() << 0 << 0 << QByteArray("abc") << QByteArray("\x05") << QByteArray("abc")
            << QByteArray("\x05\0\0", 3);
    }
    void splice()
    {
        QFETCH(QByteArray, chars);
        QFETCH(QByteArray, attrs);
        QFETCH(int, at);
        QFETCH(int, count);
        QFETCH(QByteArray, insChars);
        QFETCH(QByteArray, insAttrs);
        QFETCH(QByteArray, wantChars);
        QFETCH(QByteArray, wantAttrs);
        TALine line(chars, attrs);
        line.Splice(at, count, insChars, insAttrs);
        Check(line, wantChars, wantAttrs);
        // Copies and moves keep the bytes, and the source of a move is an empty line.
        TALine copy = line;
        TALine moved = std::move(line);
        Check(copy, wantChars, wantAttrs);
        Check(moved, wantChars, wantAttrs);
        QVERIFY(line.IsEmpty());
    }

    void changesReadingTheLineItself()
    {
        // A line's own bytes as the text of its change: the old bytes stay readable until the new
        // ones are complete, inline and in a block alike.
        for (const QByteArray &text : {QByteArray("abc"), QByteArray("abcdefghijklmnop")}) {
            const QByteArray attrs = QByteArray(text.size(), '\x03');
            TALine line(text, attrs);
            line.Splice(0, 0, line.CharsView(), line.AttrsView());
            Check(line, text + text, attrs + attrs);
            line.SetAttrs(1, line.CharsView().first(2));
            QCOMPARE(line.Attrs().mid(1, 2), text.left(2));
        }
    }

    void linesSharingAStore()
    {
        // Lines read from a file point into one store: copies and changes take bytes of their
        // own and never write into the store, which the other lines still read.
        const QByteArray text = "abcdefghijklmnop", attrs = QByteArray(text.size(), '\x01');
        TLineStore store(2 * text.size() + 4);
        char *at = store.Tail();
        std::memcpy(at, text.constData(), size_t(text.size()));
        std::memcpy(at + text.size(), attrs.constData(), size_t(attrs.size()));
        store.Use(2 * text.size());
        const QByteArray before(at, 2 * text.size());
        TALine line, other;
        line.Share(at, text.size(), true);
        other.Share(at, text.size(), true);
        Check(line, text, attrs);
        QCOMPARE(line.HeapBytes(), 2 * text.size());
        TALine copy = line;
        line.Splice(2, 3, "XY", {});
        copy.Truncate(4);
        Check(line, "abXYfghijklmnop", attrs.left(2) + QByteArray(2, '\0') + attrs.mid(5));
        Check(copy, text.left(4), attrs.left(4));
        Check(other, text, attrs);
        QCOMPARE(QByteArray(at, 2 * text.size()), before);
        TALine moved = std::move(other);
        Check(moved, text, attrs);
        QCOMPARE(store.Room(), 4);
    }

    void pictureLine()
    {
        TALine line(QByteArray(1, '\x02'), QByteArray(1, '\x07'));
        QVERIFY(line.IsPicture());
        QCOMPARE(line.Attr(0), uint8_t(7));
        QCOMPARE(line.HeapBytes(), 0);
    }
};

QTEST_APPLESS_MAIN(TestTextLine)
#include "tst_textline.moc"
