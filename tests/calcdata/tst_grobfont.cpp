// Font builds: how each style changes the glyph cells, for normal and mini fonts, and drawing them.
#include "u_TGrob.h"

#include <QPainter>
#include <QTest>

namespace {
// A font grob whose every glyph is the same pattern, given as rows of six pixels ('#' set).
TSharedRef<TGrob> FontGrob(int rowsPerGlyph, const QStringList &glyph)
{
    QImage image(8, 256 * rowsPerGlyph, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int c = 0; c < 256; ++c)
        for (int r = 0; r < rowsPerGlyph; ++r)
            for (int x = 0; x < 6; ++x)
                if (glyph.value(r).mid(x, 1) == "#")
                    image.setPixel(x, c * rowsPerGlyph + r, qRgb(0, 0, 0));
    auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
    grob->AssignBitmap(image);
    return grob;
}

// The cell of code 65 as rows of '#' and '.'.
QStringList Cell(const TGrobFont &font, uint8_t code = 65)
{
    QStringList rows;
    for (int y = 0; y < font.FCharHeight; ++y) {
        QString row;
        for (int x = 0; x < font.FCharWidth; ++x)
            row += font.GlyphPixel(code, x, y) ? '#' : '.';
        rows << row;
    }
    return rows;
}

const QStringList Bar = {"#.....", "#.....", "#.....", "#.....", "#.....", "#.....", "#.....", "......"};
const QStringList Edge = {".....#", ".....#", ".....#", ".....#", ".....#", ".....#", ".....#", "......"};
const QStringList MiniBar = {"#.....", "#.....", "#.....", "#.....", "#....."};
} // namespace

class TestGrobFont : public QObject {
    Q_OBJECT

private slots:
    void normalPlain()
    {
        TGrobFont font;
        font.BuildFromGrob(*FontGrob(8, Bar), 0);
        QCOMPARE(font.FCharWidth, uint8_t(6));
        QCOMPARE(font.FCharHeight, uint8_t(8));
        QCOMPARE(font.FKind, uint8_t(gfkNormal));
        QCOMPARE(Cell(font), Bar);
    }

    void boldIsTwoPixelsWideAndClipsAtTheCell()
    {
        TGrobFont font;
        font.BuildFromGrob(*FontGrob(8, Edge), stBold);
        QCOMPARE(font.FCharWidth, uint8_t(6));
        QCOMPARE(Cell(font).first(), QString(".....#"));
        font.BuildFromGrob(*FontGrob(8, Bar), stBold);
        QCOMPARE(Cell(font).first(), QString("##...."));
    }

    void underlineFillsTheLastRow()
    {
        TGrobFont font;
        font.BuildFromGrob(*FontGrob(8, Bar), stUnderline);
        QCOMPARE(Cell(font).last(), QString("######"));
        // Italic stops the line at six pixels so a slanted neighbour is not run into.
        font.BuildFromGrob(*FontGrob(8, Bar), stUnderline | stItalic);
        QCOMPARE(Cell(font).last(), QString("######..."));
        font.BuildFromGrob(*FontGrob(8, Bar), stUnderline | stBackslant);
        QCOMPARE(Cell(font).last(), QString("#########"));
    }

    void reverseInvertsTheWholeCell()
    {
        TGrobFont font;
        font.BuildFromGrob(*FontGrob(8, Bar), stReverse);
        QCOMPARE(Cell(font).first(), QString(".#####"));
        QCOMPARE(Cell(font).last(), QString("######"));
        font.BuildFromGrob(*FontGrob(8, Bar), stReverse | stUnderline);
        QCOMPARE(Cell(font).last(), QString("......"));
    }

    void slantsShiftRowsAndWidenTheCell()
    {
        TGrobFont font;
        font.BuildFromGrob(*FontGrob(8, Bar), stItalic);
        QCOMPARE(font.FCharWidth, uint8_t(9));
        QCOMPARE(Cell(font), (QStringList {"...#.....", "...#.....", "..#......", "..#......", ".#.......",
                                 ".#.......", "#........", "........."}));
        font.BuildFromGrob(*FontGrob(8, Bar), stBackslant);
        QCOMPARE(Cell(font).at(0), QString("#........"));
        QCOMPARE(Cell(font).at(6), QString("...#....."));
        // Both slant bits: backslant wins.
        font.BuildFromGrob(*FontGrob(8, Bar), stItalic | stBackslant);
        QCOMPARE(font.FCharWidth, uint8_t(9));
        QCOMPARE(Cell(font).at(6), QString("...#....."));
        QCOMPARE(font.FStyle, uint8_t(stItalic | stBackslant));
    }

    void normalFontKeepsOnlyStyleBits()
    {
        TGrobFont font;
        font.BuildFromGrob(*FontGrob(8, Bar), 0xFF);
        QCOMPARE(font.FStyle, uint8_t(0x1F));
    }

    void miniPlacements()
    {
        TGrobFont font;
        font.BuildFromGrob(*FontGrob(5, MiniBar), 0);
        QCOMPARE(font.FKind, uint8_t(gfkMini));
        QCOMPARE(font.FStyle, uint8_t(fsSuperscript));
        QCOMPARE(Cell(font, 0), (QStringList {"#.....", "#.....", "#.....", "#.....", "#.....", "......", "......", "......"}));

        font.BuildFromGrob(*FontGrob(5, MiniBar), fsSubscript);
        QCOMPARE(font.FStyle, uint8_t(fsSubscript));
        QCOMPARE(Cell(font, 0), (QStringList {"......", "......", "......", "#.....", "#.....", "#.....", "#.....", "#....."}));
        QCOMPARE(Cell(font, 255).at(7), QString("#....."));
    }

    void miniReverseOnlyInvertsTheGlyphArea()
    {
        TGrobFont font;
        font.BuildFromGrob(*FontGrob(5, MiniBar), stReverse | stUnderline);
        const QStringList cell = Cell(font);
        QCOMPARE(cell.at(0), QString(".#####"));
        QCOMPARE(cell.at(4), QString("......")); // the underline is drawn white
        QCOMPARE(cell.at(5), QString("......"));
    }

    void miniSlants()
    {
        TGrobFont font;
        font.BuildFromGrob(*FontGrob(5, MiniBar), stItalic | fsSubscript);
        QCOMPARE(font.FCharWidth, uint8_t(8));
        QCOMPARE(Cell(font).at(3), QString("..#....."));
        QCOMPARE(Cell(font).at(7), QString("#......."));
    }

    void drawCharScalesAndCombines()
    {
        TGrobFont font;
        font.BuildFromGrob(*FontGrob(8, Bar), 0);
        QImage canvas(12, 16, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            QPainter p(&canvas);
            font.DrawChar(p, 65, 0, 0, true);
        }
        QCOMPARE(canvas.pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(canvas.pixel(1, 13), qRgb(0, 0, 0));
        QCOMPARE(canvas.pixel(2, 0), qRgb(255, 255, 255));
        QCOMPARE(canvas.pixel(0, 14), qRgb(255, 255, 255));

        // AND keeps what is already black; an inverted copy turns the glyph white on black.
        canvas.fill(Qt::white);
        canvas.setPixel(5, 0, qRgb(0, 0, 0));
        {
            QPainter p(&canvas);
            p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
            font.DrawChar(p, 65, 0, 0, false);
        }
        QCOMPARE(canvas.pixel(5, 0), qRgb(0, 0, 0));
        QCOMPARE(canvas.pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(canvas.pixel(1, 0), qRgb(255, 255, 255));
        {
            QPainter p(&canvas);
            p.setCompositionMode(QPainter::RasterOp_NotSource);
            font.DrawChar(p, 65, 0, 0, false);
        }
        QCOMPARE(canvas.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(canvas.pixel(1, 0), qRgb(0, 0, 0));
    }

    void fontWithoutStripDrawsNothing()
    {
        TGrobFont font;
        QImage canvas(20, 20, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        font.DrawText(p, "abc", 0, 0, true);
        p.end();
        QCOMPARE(canvas.pixel(0, 0), qRgb(255, 255, 255));
        QVERIFY(!font.GlyphPixel(65, 0, 0));
    }
};

QTEST_MAIN(TestGrobFont)
#include "tst_grobfont.moc"
