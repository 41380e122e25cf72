// TGV files: the bytes SaveTgv writes (header, string, grobs, tail) and what LoadTgv makes of a
// file, from the walk over the string's codes to pictures and files that are really plain text.
#include "helper_editor.h"
#include "helper_formats.h"
#include "u_Errors.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray Bytes(std::initializer_list<int> Values)
{
    QByteArray b;
    for (int v : Values)
        b.append(char(v));
    return b;
}

// The pictures AddPictureLine draws: a diagonal, plus the top-right pixel for an odd seed.
bool DiagonalEven(int X, int Y) { return X == Y; }
bool DiagonalOdd(int X, int Y) { return X == Y || (X == 7 && Y == 0); }
bool Checker(int X, int Y) { return (X + Y) % 2 == 0; }
} // namespace

class TestFormatTgv : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString Path(const QString &Name) const { return FDir.filePath(Name); }

    QByteArray Saved(THPEdit2 &Ed, bool Hp49 = false)
    {
        const QString file = Path(Hp49 ? "out.t49" : "out.tgv");
        const qint64 n = Ed.SaveTgv(file, Hp49);
        const QByteArray data = ReadWholeFile(file);
        if (n != data.size() || Ed.FileSize() != n)
            qWarning("size returned %lld, file %lld", n, qint64(data.size()));
        return data;
    }

    THPEdit2 *Loaded(THostWidget &Host, const QByteArray &File)
    {
        THPEdit2 *ed = NewEditor(Host, TEditor::Tgv);
        WriteWholeFile(Path("in.tgv"), File);
        const qint64 n = ed->LoadTgv(Path("in.tgv"));
        if (n != File.size())
            qWarning("LoadTgv returned %lld for %lld bytes", n, qint64(File.size()));
        return ed;
    }

private slots:
    void menuHeaderAndFixedBytes()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "x");
        ed->SetMenuChar('#');
        ed->SetMenuWhenStarted(true);
        const QByteArray file = Saved(*ed);
        // Prologs of program, list and string, then the length 13 for a body of 4 bytes.
        QCOMPARE(file.toHex(), (QByteArray("HPHP48-E") + QByteArray::fromHex("9D2D40A7022C2AD00000")
                                + Bytes({3, '#', 4, 'x'}) + QByteArray::fromHex("2B3120E9024D0100D8FBB11203"))
                                   .toHex());
        QCOMPARE(ed->ExecuteWith(), QStringLiteral("Tgv"));
        QVERIFY(!ed->Modified());

        ed->SetMenuChar('*');
        ed->SetMenuWhenStarted(false);
        QCOMPARE(Saved(*ed, true), TgvFile("x", QByteArray(), true));
    }

    void body_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("attrs");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("italic straight to backslant takes one code")
            << QByteArray("ab") << Bytes({8, 16}) << Bytes({1, '/', 'a', 1, '|', 'b'});
        QTest::newRow("backslant straight to italic takes one code")
            << QByteArray("ab") << Bytes({16, 8}) << Bytes({1, '|', 'a', 1, '/', 'b'});
        QTest::newRow("italic to plain") << QByteArray("ab") << Bytes({8, 0}) << Bytes({1, '/', 'a', 1, '/', 'b'});
        QTest::newRow("each font slot")
            << QByteArray("abcd") << Bytes({0x20, 0x40, 0x80, 0}) << Bytes({1, '2', 'a', 1, '3', 'b', 1, '4', 'c', 1, '1', 'd'});
        QTest::newRow("font, reverse, underline, bold in that order")
            << QByteArray("a") << Bytes({0x27}) << Bytes({1, '2', 1, 'V', 1, 'U', 1, 'B', 'a'});
        QTest::newRow("a line end restarts from plain")
            << QByteArray("a\nb") << Bytes({1, 0, 1}) << Bytes({1, 'B', 'a', 10, 1, 'B', 'b'});
        QTest::newRow("quotes and other codes the text forms refuse are kept")
            << QByteArray("\"\x0B\x13\x03") << Bytes({0, 0, 0, 0}) << Bytes({'"', 11, 19, 3});
    }

    void body()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, attrs);
        QFETCH(QByteArray, body);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetStyled(*ed, text, attrs);
        QCOMPARE(Saved(*ed).toHex(), TgvFile(body).toHex());

        // And back: the same characters with the same attributes.
        THostWidget host2;
        THPEdit2 *back = Loaded(host2, TgvFile(body));
        QCOMPARE(Text(*back), text);
        QCOMPARE(Attrs(*back), Attrs(*ed));
    }

    void pictureShownTwiceIsStoredOnce()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        AddPictureLine(*ed, 8, 8, 0);
        AddPictureLine(*ed, 8, 8, 1);
        AddPictureLine(*ed, 8, 8, 0);
        QCOMPARE(Text(*ed), QByteArray("\n\x02\n\n\x02\n\n\x02\n"));
        const QByteArray expected = TgvFile(Bytes({10, 2, 1, 10, 10, 2, 2, 10, 10, 2, 1, 10}),
                                            GrobObjectBytes(8, 8, DiagonalEven) + GrobObjectBytes(8, 8, DiagonalOdd));
        QCOMPARE(Saved(*ed).toHex(), expected.toHex());

        THostWidget host2;
        THPEdit2 *back = Loaded(host2, expected);
        QCOMPARE(Text(*back), Text(*ed));
        QVERIFY(back->PictureOfLine(1));
        QCOMPARE(back->PictureOfLine(1), back->PictureOfLine(5));
        QVERIFY(back->PictureOfLine(1) != back->PictureOfLine(3));
        QCOMPARE(back->PictureBitmap(3), ed->PictureBitmap(3));
        QCOMPARE(Saved(*back), expected);
    }

    void samePixelsAreOnePictureWhateverTheirSource()
    {
        // Bits past a row's width carry nothing: a grob that sets them shows the same picture.
        const QByteArray clean = GrobObjectBytes(5, 3, Checker);
        QByteArray dirty = clean;
        for (int row = 0; row < 3; ++row)
            dirty[10 + row] = char(uint8_t(dirty[10 + row]) | 0xE0);
        const QByteArray body = Bytes({2, 1, 10, 10, 2, 2});
        THostWidget host, host2;
        THPEdit2 *ed = Loaded(host, TgvFile(body, clean + dirty));
        QCOMPARE(ed->PictureOfLine(0), ed->PictureOfLine(2));
        THPEdit2 *plain = Loaded(host2, TgvFile(body, clean + clean));
        QCOMPARE(Saved(*ed), Saved(*plain));

        // The same picture inserted as a colour image joins it rather than taking a slot.
        QImage colour(5, 3, QImage::Format_ARGB32);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                colour.setPixel(x, y, Checker(x, y) ? qRgb(200, 0, 0) : qRgb(255, 255, 255));
        QCOMPARE(ed->LineLength(1), 0);
        ed->InsertPicture(1, 1, QString(), colour);
        QCOMPARE(ed->PictureOfLine(1), ed->PictureOfLine(0));
        QCOMPARE(ed->PictureBitmap(0).pixelColor(0, 0), QColor(Qt::black));
    }

    void fivePicturesAndMenuCharacter()
    {
        QByteArray body = "\x03#t";
        QByteArray grobs;
        for (int k = 1; k <= 5; ++k) {
            body += Bytes({10, 2, k});
            grobs += GrobObjectBytes(k, 3, Checker); // five widths: five different pictures
        }
        const QByteArray file = TgvFile(body, grobs);
        THostWidget host;
        THPEdit2 *ed = Loaded(host, file);
        QCOMPARE(ed->LineCount(), 6);
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(ed->PictureBitmap(k).size(), QSize(k, 3));
        QCOMPARE(ed->PictureBitmap(5).pixelColor(0, 0), QColor(Qt::black));
        QCOMPARE(ed->PictureBitmap(5).pixelColor(1, 0), QColor(Qt::white));
        QCOMPARE(ed->MenuChar(), uint8_t('#'));
        QVERIFY(!ed->MenuWhenStarted());
        QCOMPARE(ed->ExecuteWith(), QStringLiteral("Tgv"));
        QVERIFY(!ed->Modified());
        QCOMPARE(ed->FileSize(), qint64(file.size()));
        QCOMPARE(Saved(*ed), file);
    }

    void pictureBetweenTextGetsItsOwnLine()
    {
        THostWidget host;
        THPEdit2 *ed = Loaded(host, TgvFile("ab\x02\x01" "cd", GrobObjectBytes(4, 4, Checker)));
        QCOMPARE(Text(*ed), QByteArray("ab\n\x02\ncd\n"));
        QCOMPARE(ed->CaretLine(), 0);
        QCOMPARE(ed->CaretCol(), 1);
    }

    void walk_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("attrs");
        QTest::addColumn<int>("menuChar");
        QTest::addColumn<bool>("menuWhenStarted");
        QTest::newRow("menu when started alone") << Bytes({4, 'x'}) << QByteArray("x") << Bytes({0}) << 42 << true;
        QTest::newRow("menu character then menu when started")
            << Bytes({3, '#', 4, 'x'}) << QByteArray("x") << Bytes({0}) << int('#') << true;
        QTest::newRow("4 and 3 later in the body are characters")
            << Bytes({'x', 4, 3}) << QByteArray("x\x04\x03") << Bytes({0, 0, 0}) << 42 << false;
        QTest::newRow("unknown style code ignored")
            << Bytes({1, 'B', 'a', 1, 'Q', 'b'}) << QByteArray("ab") << Bytes({1, 1}) << 42 << false;
        QTest::newRow("line end resets the attribute")
            << Bytes({1, 'V', 1, '3', 'a', 10, 'b'}) << QByteArray("a\nb") << Bytes({0x44, 0, 0}) << 42 << false;
        QTest::newRow("setting backslant clears italic")
            << Bytes({1, '/', 1, '|', 'a'}) << QByteArray("a") << Bytes({0x10}) << 42 << false;
        QTest::newRow("code cut off at the end of the body")
            << Bytes({'a', 1}) << QByteArray("a") << Bytes({0}) << 42 << false;
        QTest::newRow("picture cut off at the end of the body")
            << Bytes({'a', 2}) << QByteArray("a") << Bytes({0}) << 42 << false;
    }

    void walk()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, attrs);
        QFETCH(int, menuChar);
        QFETCH(bool, menuWhenStarted);
        THostWidget host;
        THPEdit2 *ed = Loaded(host, TgvFile(body));
        QCOMPARE(Text(*ed), text);
        QCOMPARE(Attrs(*ed), attrs);
        QCOMPARE(int(ed->MenuChar()), menuChar);
        QCOMPARE(ed->MenuWhenStarted(), menuWhenStarted);
    }

    void filesThatAreNotTgvObjects()
    {
        THostWidget host;
        // A .TGV file that is really text opens as plain text, every character plain.
        THPEdit2 *ed = Loaded(host, "1 \x0B" "Bhello\r\nworld");
        QCOMPARE(Text(*ed), QByteArray("1 \x0B" "Bhello\nworld"));
        QCOMPARE(Attrs(*ed), QByteArray(15, '\0'));
        QCOMPARE(ed->ExecuteWith(), QStringLiteral("Tgv"));

        // Too short for the header test: plain text too, where a text file would fail.
        ed = Loaded(host, "HPHP48-E");
        QCOMPARE(Text(*ed), QByteArray("HPHP48-E"));
        ed = Loaded(host, "");
        QCOMPARE(Text(*ed), QByteArray());

        // A calculator object that is not a string: an empty document and no error.
        ed = Loaded(host, QByteArray("HPHP49-C") + Nibbles({0x02D9D, 0x02A74, 0x02B1E, 0x11}) + "\x01\x00\x01\x00\x00\x01");
        QCOMPARE(Text(*ed), QByteArray());
        QCOMPARE(ed->LineCount(), 1);
    }

    void tgvReadsTheHp49Header()
    {
        THostWidget host;
        THPEdit2 *ed = Loaded(host, TgvFile("\x01" "Bhi", GrobObjectBytes(1, 1, Checker), true));
        QCOMPARE(Text(*ed), QByteArray("hi"));
        QCOMPARE(Attrs(*ed), Bytes({1, 1}));
    }

    void tooLargeForTheLengthField()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        WriteWholeFile(Path("kept.tgv"), "previous");
        SetText(*ed, QByteArray(600000, 'x'));
        QVERIFY_THROWS_EXCEPTION(EErrorSaving, ed->SaveTgv(Path("kept.tgv"), false));
        QCOMPARE(ReadWholeFile(Path("kept.tgv")), QByteArray("previous"));
        QVERIFY(ed->Modified());
    }
};

QTEST_MAIN(TestFormatTgv)
#include "tst_format_tgv.moc"
