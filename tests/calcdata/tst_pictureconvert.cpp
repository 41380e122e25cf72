// Pictures to calculator pictures: sizes within what a grob holds, the three ways to black and
// white on known grey levels, scaling, transparency and invert.
#include "u_PictureConvert.h"
#include "u_TGrob.h"

#include <QTest>

namespace {
// One row of characters per picture row: '#' black, '.' white.
QString Dots(const QImage &Mono)
{
    QString s;
    for (int y = 0; y < Mono.height(); ++y) {
        if (y)
            s += QLatin1Char('/');
        for (int x = 0; x < Mono.width(); ++x)
            s += Mono.pixelIndex(x, y) ? QLatin1Char('#') : QLatin1Char('.');
    }
    return s;
}

int BlackCount(const QImage &Mono)
{
    int n = 0;
    for (int y = 0; y < Mono.height(); ++y)
        for (int x = 0; x < Mono.width(); ++x)
            n += Mono.pixelIndex(x, y);
    return n;
}

QImage Flat(QSize Size, QRgb Colour, QImage::Format Format = QImage::Format_RGB32)
{
    QImage image(Size, Format);
    image.fill(Colour);
    return image;
}

// Grey level x in column x.
QImage Ramp(int Rows)
{
    QImage image(256, Rows, QImage::Format_RGB32);
    for (int y = 0; y < Rows; ++y)
        for (int x = 0; x < 256; ++x)
            image.setPixel(x, y, qRgb(x, x, x));
    return image;
}

QImage Convert(const QImage &Source, TDither Dither, int Threshold = 50, bool Invert = false, QSize Size = {})
{
    return ConvertPicture(Source, {Size.isValid() ? Size : Source.size(), Dither, Threshold, Invert});
}
} // namespace

class TestPictureConvert : public QObject {
    Q_OBJECT

private slots:
    void sizes_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("proposed");
        QTest::addColumn<int>("width");
        QTest::addColumn<QSize>("atWidth");
        QTest::newRow("photo proposed at the screen's width") << QSize(4000, 3000) << QSize(131, 98) << 400 << QSize(400, 300);
        QTest::newRow("small picture keeps its width") << QSize(60, 20) << QSize(60, 20) << 7 << QSize(7, 2);
        QTest::newRow("tall strip caps its height, width follows") << QSize(10, 5000) << QSize(4, 2048) << 131 << QSize(4, 2048);
        QTest::newRow("wide strip never under a row") << QSize(3000, 2) << QSize(131, 1) << 5000 << QSize(2048, 1);
        // 2048 × 2048 would need a size field of six nibbles.
        QTest::newRow("square at the limit loses a row") << QSize(3000, 3000) << QSize(131, 131) << 2048 << QSize(2048, 2047);
    }
    void sizes()
    {
        QFETCH(QSize, source);
        QFETCH(QSize, proposed);
        QFETCH(int, width);
        QFETCH(QSize, atWidth);
        QCOMPARE(DefaultPictureSize(source), proposed);
        QCOMPARE(PictureSizeForWidth(source, width), atWidth);
        QVERIFY(PictureSizeFits(atWidth));
        QCOMPARE(PictureSizeForHeight(source, atWidth.height()).height(), atWidth.height());
    }

    void limits()
    {
        QVERIFY(PictureSizeFits({2040, 2048}));
        QVERIFY(!PictureSizeFits({2041, 2048}));
        QVERIFY(!PictureSizeFits({0, 5}));
        QCOMPARE(ClampPictureSize({5000, 0}), QSize(2048, 1));
        QVERIFY(ConvertPicture(Flat({4, 4}, 0xFF000000), {{2049, 1}, TDither::None, 50, false}).isNull());
        QVERIFY(ConvertPicture(QImage(), {{4, 4}, TDither::None, 50, false}).isNull());
    }

    void threshold_data()
    {
        QTest::addColumn<int>("threshold");
        QTest::addColumn<int>("blackColumns");
        QTest::newRow("half") << 50 << 128;
        QTest::newRow("none black at 0") << 0 << 0;
        QTest::newRow("all but white at 100") << 100 << 255;
        QTest::newRow("a quarter") << 25 << 64;
    }
    void threshold()
    {
        QFETCH(int, threshold);
        QFETCH(int, blackColumns);
        const QImage mono = Convert(Ramp(1), TDither::None, threshold);
        QVERIFY(IsCalcBitmap(mono));
        QCOMPARE(BlackCount(mono), blackColumns);
        // The black ones are the darkest.
        if (blackColumns)
            QCOMPARE(mono.pixelIndex(blackColumns - 1, 0), 1);
        if (blackColumns < 256)
            QCOMPARE(mono.pixelIndex(blackColumns, 0), 0);
    }

    void orderedDitherFollowsTheMatrix_data()
    {
        QTest::addColumn<int>("grey");
        QTest::addColumn<int>("black");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("black") << 0 << 16 << "####/####/####/####";
        QTest::newRow("white") << 255 << 0 << "..../..../..../....";
        QTest::newRow("half") << 128 << 8 << ".#.#/#.#./.#.#/#.#.";
        QTest::newRow("quarter") << 64 << 12 << ".#.#/####/.#.#/####";
    }
    void orderedDitherFollowsTheMatrix()
    {
        QFETCH(int, grey);
        QFETCH(int, black);
        QFETCH(QString, pattern);
        const QImage mono = Convert(Flat({4, 4}, qRgb(grey, grey, grey)), TDither::Ordered);
        QCOMPARE(BlackCount(mono), black);
        QCOMPARE(Dots(mono), pattern);
    }

    void floydSteinbergKeepsTheGreyLevel()
    {
        // Mid grey alternates from the first pixel on.
        QCOMPARE(Dots(Convert(Flat({4, 1}, qRgb(128, 128, 128)), TDither::FloydSteinberg)), QStringLiteral(".#.#"));
        // On a ramp every stretch of columns carries about its share of ink, and the ends are solid.
        const QImage mono = Convert(Ramp(32), TDither::FloydSteinberg);
        for (int band = 0; band < 4; ++band) {
            int n = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = band * 64; x < band * 64 + 64; ++x)
                    n += mono.pixelIndex(x, y);
            const double share = n / (64.0 * 32);
            const double expected = 1 - (band * 64 + 31.5) / 255;
            QVERIFY2(qAbs(share - expected) < 0.03, qPrintable(QStringLiteral("band %1: %2").arg(band).arg(share)));
        }
        QCOMPARE(mono.pixelIndex(0, 16), 1);
        QCOMPARE(mono.pixelIndex(255, 16), 0);
        // The ordered matrix carries the same share, in a fixed pattern.
        const QImage ordered = Convert(Ramp(32), TDither::Ordered);
        QVERIFY(qAbs(BlackCount(ordered) - BlackCount(mono)) < 256 * 32 / 50);
    }

    void scalingAveragesWhatItCovers()
    {
        QImage halves = Flat({8, 4}, qRgb(255, 255, 255));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                halves.setPixel(x, y, qRgb(0, 0, 0));
        QCOMPARE(Dots(Convert(halves, TDither::None, 50, false, {2, 1})), QStringLiteral("#."));
        // Up: each source pixel covers whole calculator pixels.
        QCOMPARE(Dots(Convert(halves, TDither::None, 50, false, {16, 1})), QStringLiteral("########........"));
        // A fine checkerboard averages to mid grey: light for a 40 % threshold, dark for 60 %.
        QImage checks = Flat({4, 4}, qRgb(255, 255, 255));
        for (int y = 0; y < 4; ++y)
            for (int x = (y & 1); x < 4; x += 2)
                checks.setPixel(x, y, qRgb(0, 0, 0));
        QCOMPARE(Dots(Convert(checks, TDither::None, 40, false, {2, 2})), QStringLiteral("../.."));
        QCOMPARE(Dots(Convert(checks, TDither::None, 60, false, {2, 2})), QStringLiteral("##/##"));
    }

    void transparencyIsPaperAndInvertSwapsTheRest_data()
    {
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<bool>("invert");
        QTest::addColumn<int>("index");
        QTest::newRow("transparent black") << QRgb(0x00000000) << false << 0;
        QTest::newRow("transparent black inverted") << QRgb(0x00000000) << true << 0;
        QTest::newRow("transparent white inverted") << QRgb(0x00FFFFFF) << true << 0;
        QTest::newRow("opaque black inverted") << QRgb(0xFF000000) << true << 0;
        QTest::newRow("opaque white inverted") << QRgb(0xFFFFFFFF) << true << 1;
        QTest::newRow("dark red") << QRgb(0xFF800000) << false << 1;
    }
    void transparencyIsPaperAndInvertSwapsTheRest()
    {
        QFETCH(QRgb, colour);
        QFETCH(bool, invert);
        QFETCH(int, index);
        for (const auto format : {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied}) {
            const QImage source = Flat({3, 3}, 0, QImage::Format_ARGB32).convertToFormat(format);
            QImage image = source;
            image.fill(QColor::fromRgba(colour));
            for (const TDither dither : {TDither::None, TDither::FloydSteinberg, TDither::Ordered})
                QCOMPARE(Convert(image, dither, 50, invert).pixelIndex(1, 1), index);
        }
    }

    void calculatorPictures()
    {
        QImage image = Flat({3, 2}, 0xFFFFFFFF, QImage::Format_ARGB32);
        image.setPixel(0, 0, 0xFF000000);
        image.setPixel(1, 0, 0x00123456);
        QVERIFY(IsCalculatorPicture(image));
        image.setPixel(2, 1, 0xFF808080);
        QVERIFY(!IsCalculatorPicture(image));
        QVERIFY(!IsCalculatorPicture(Flat({3000, 1}, 0xFF000000)));
        QVERIFY(!IsCalculatorPicture(QImage()));
    }
};

QTEST_APPLESS_MAIN(TestPictureConvert)
#include "tst_pictureconvert.moc"
