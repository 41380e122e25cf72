// Grob files: the bitmap round trip, reading grobs out of documents, and files that promise more
// than they hold.
#include "u_Errors.h"
#include "u_TGrob.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {
QImage Pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x * 7 + y * 3) % 5 == 0)
                image.setPixel(x, y, qRgb(0, 0, 0));
    return image;
}

bool SameBlackPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((qGray(a.pixel(x, y)) < 128) != (qGray(b.pixel(x, y)) < 128))
                return false;
    return true;
}
} // namespace

class TestGrob : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    void assignBitmapWritesTheFileLayout()
    {
        auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
        grob->AssignBitmap(Pattern(10, 3));
        const QByteArray bytes = grob->FileBytes();
        QCOMPARE(bytes.size(), 24);
        QCOMPARE(bytes.left(8), QByteArray("HPHP48-E"));
        TNibbleReader a(bytes);
        a.SeekByte(8);
        QCOMPARE(a.Number5(), PrologGrob);
        QCOMPARE(a.Number5(), 27);
        QCOMPARE(a.Number5(), 3);
        QCOMPARE(a.Number5(), 10);
        // Row padding bits stay clear.
        QCOMPARE(uchar(bytes[19]) & 0xFC, 0);
    }

    void fileRoundTrip_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("10 x 3, padded rows") << 10 << 3;
        QTest::newRow("131 x 64, a full screen") << 131 << 64;
        QTest::newRow("8 x 1, whole bytes") << 8 << 1;
    }
    void fileRoundTrip()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        const QImage source = Pattern(width, height);
        auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
        grob->AssignBitmap(source);
        const QString path = FDir.filePath("pic.grb");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(grob->FileBytes());
        f.close();

        auto loaded = TSharedRef<TGrob>::Adopt(new TGrob);
        loaded->LoadFromFile(path);
        QCOMPARE(loaded->FWidth, width);
        QCOMPARE(loaded->FHeight, height);
        QCOMPARE(loaded->FFileName, path);
        QVERIFY(SameBlackPixels(loaded->ToBitmap(), source));

        // DrawOn fills exactly the set pixels with the brush.
        QImage canvas(width + 4, height + 4, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            QPainter p(&canvas);
            p.setBrush(Qt::black);
            loaded->DrawOn(p, 2, 2);
        }
        QVERIFY(SameBlackPixels(canvas.copy(2, 2, width, height), source));
    }

    void transparencyCountsAsWhite()
    {
        QImage image(4, 1, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        image.setPixel(1, 0, qRgba(0, 0, 0, 255));
        image.setPixel(2, 0, qRgba(200, 200, 200, 255));
        auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
        grob->AssignBitmap(image);
        QVERIFY(!grob->Pixel(0, 0));
        QVERIFY(grob->Pixel(1, 0));
        QVERIFY(grob->Pixel(2, 0)); // anything but pure white is ink
        QVERIFY(!grob->Pixel(3, 0));
    }

    void readFromDocumentImage()
    {
        auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
        grob->AssignBitmap(Pattern(10, 3));
        const QByteArray file = grob->FileBytes();

        // A document holding the grob object right after its prolog, then one more byte.
        const QByteArray image = file.mid(8) + '\x77';
        TNibbleReader doc(image);
        QCOMPARE(doc.Number5(), PrologGrob);
        auto read = TSharedRef<TGrob>::Adopt(new TGrob);
        read->ReadFrom(doc);
        QCOMPARE(read->FWidth, 10);
        QCOMPARE(read->FHeight, 3);
        QVERIFY(read->FFileName.isEmpty());
        QCOMPARE(read->FileBytes(), file);
        QCOMPARE(doc.Byte(), uint8_t(0x77));
        QVERIFY(!doc.Short());
    }

    void truncatedFileShowsOnlyWhatExists()
    {
        auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
        grob->AssignBitmap(Pattern(16, 10));
        QByteArray bytes = grob->FileBytes();
        bytes.truncate(18 + 2 * 4); // four rows of ten
        const QString path = FDir.filePath("short.grb");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();

        auto loaded = TSharedRef<TGrob>::Adopt(new TGrob);
        loaded->LoadFromFile(path);
        QCOMPARE(loaded->FHeight, 10);
        const QImage image = loaded->ToBitmap();
        QCOMPARE(image.size(), QSize(16, 10));
        QVERIFY(SameBlackPixels(image.copy(0, 0, 16, 4), Pattern(16, 10).copy(0, 0, 16, 4)));
        for (int y = 4; y < 10; ++y)
            for (int x = 0; x < 16; ++x)
                QCOMPARE(image.pixel(x, y), qRgb(255, 255, 255));
    }

    void absurdSizesDoNotAllocate()
    {
        TNibbleWriter w;
        w.Number5(0xFFFFF); // size
        w.Number5(0xFFFFF); // height
        w.Number5(0xFFFFF); // width
        const QByteArray image = w.Take();
        TNibbleReader doc(image);
        auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
        grob->ReadFrom(doc);
        QVERIFY(doc.AtEnd());
        QVERIFY(doc.Short());
        QVERIFY(grob->ToBitmap().isNull());
        QImage canvas(8, 8, QImage::Format_RGB32);
        QPainter p(&canvas);
        grob->DrawOn(p, 0, 0); // nothing held, nothing drawn, no hang
    }

    void missingFileRaisesAndKeepsNoData()
    {
        auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
        grob->AssignBitmap(Pattern(4, 4));
        QVERIFY_THROWS_EXCEPTION(EFileError, grob->LoadFromFile(FDir.filePath("nothing.grb")));
        QVERIFY(grob->FileBytes().isEmpty());
        QVERIFY(grob->ToBitmap().isNull());
    }
};

QTEST_MAIN(TestGrob)
#include "tst_grob.moc"
