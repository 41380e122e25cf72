// The character table: loading its font, sharing a document's font, and the pixels of normal and
// selected cells.
#include "u_Errors.h"
#include "u_TableCharsHP.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

namespace {

QString BundledFont(const char *Name)
{
    return QStringLiteral(QUILLO_BUILD_DIR "fonts/") + QLatin1String(Name) + QStringLiteral(".fnt");
}

// A set and an unset glyph pixel of Code, in font pixels.
bool FindGlyphPixels(const TGrobFont &Font, uint8_t Code, QPoint &Set, QPoint &Clear)
{
    bool haveSet = false;
    bool haveClear = false;
    for (int y = 0; y < Font.FCharHeight; ++y)
        for (int x = 0; x < Font.FCharWidth; ++x) {
            if (Font.GlyphPixel(Code, x, y) && !haveSet) {
                Set = {x, y};
                haveSet = true;
            } else if (!Font.GlyphPixel(Code, x, y) && !haveClear) {
                Clear = {x, y};
                haveClear = true;
            }
        }
    return haveSet && haveClear;
}

// The client pixel of font pixel P of the character in Cell, both screen pixels of the doubled dot.
QList<QPoint> ScreenDots(const TCell &Cell, QPoint P)
{
    const int x = Cell.Left + 2 + 2 * P.x() + 1; // + 1 for the border
    const int y = Cell.Top + 2 + 2 * P.y() + 1;
    return {{x, y}, {x + 1, y + 1}};
}

} // namespace

class TestTableCharsHP : public QObject {
    Q_OBJECT

private slots:
    void fontNameSizesTheCells()
    {
        TTableCharsHP table;
        QVERIFY(!table.DefaultSelect());
        table.SetFontName(BundledFont("tgvnormal"));
        QCOMPARE(table.FontName(), BundledFont("tgvnormal"));
        QCOMPARE(table.WidthItem(), 12);
        QCOMPARE(table.HeightItem(), 16);

        // A mini font is shown as subscript: its glyphs at the bottom of their cells.
        table.SetFontName(BundledFont("tgvmini"));
        QVERIFY(table.Font()->FStyle & fsSubscript);
        QCOMPARE(table.HeightItem(), 16);
    }

    void unreadableFontLeavesBlankCells()
    {
        TTableCharsHP table;
        table.SetFontName(BundledFont("tgvnormal"));
        QVERIFY_THROWS_EXCEPTION(EFileError, table.SetFontName(QStringLiteral("/no/such/font.fnt")));
        QCOMPARE(table.Font(), nullptr);
        table.resize(161, 267);
        QVERIFY(!table.grab().isNull());
    }

    void sharedFontIsHeldAndReleased()
    {
        auto font = TSharedRef<TGrobFont>::Adopt(new TGrobFont);
        LoadFontFile(*font, BundledFont("tgvnormal"), stBold | stItalic);
        {
            TTableCharsHP table;
            table.SetFont(font.get(), QStringLiteral("Normal"));
            QCOMPARE(font->RefCount(), 2);
            QCOMPARE(table.FontName(), QStringLiteral("Normal"));
            QCOMPARE(table.WidthItem(), font->FCharWidth * 2);
            table.SetFont(font.get(), QStringLiteral("Normal"));
            QCOMPARE(font->RefCount(), 2);
        }
        QCOMPARE(font->RefCount(), 1);
    }

    void cellsShowGlyphsAndTheSelectionInReverse()
    {
        TTableCharsHP table;
        table.SetPlages(QStringLiteral("0-255"));
        const QColor pale(255, 255, 225);
        table.SetCellColor(pale);
        table.resize(161, 267);
        table.SetFontName(BundledFont("tgvnormal"));
        QPoint set;
        QPoint clear;
        QVERIFY(FindGlyphPixels(*table.Font(), 'A', set, clear));
        const TCell cell = table.Cells()['A'];

        QImage shot = table.grab().toImage();
        for (QPoint p : ScreenDots(cell, set))
            QCOMPARE(shot.pixelColor(p), QColor(Qt::black));
        for (QPoint p : ScreenDots(cell, clear))
            QCOMPARE(shot.pixelColor(p), pale);

        const QPointF centre((cell.Left + cell.Right) / 2 + 1, (cell.Top + cell.Bottom) / 2 + 1);
        QMouseEvent press(QEvent::MouseButtonPress, centre, table.mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&table, &press);
        QCOMPARE(table.Selected(), int('A'));

        shot = table.grab().toImage();
        for (QPoint p : ScreenDots(cell, set))
            QCOMPARE(shot.pixelColor(p), QColor(Qt::white));
        for (QPoint p : ScreenDots(cell, clear))
            QCOMPARE(shot.pixelColor(p), QColor(Qt::black));
        // The black block fills the cell inside its outline.
        QCOMPARE(shot.pixelColor(cell.Left + 1 + 1, cell.Top + 1 + 1), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(cell.Right - 1 + 1, cell.Bottom - 1 + 1), QColor(Qt::black));
    }
};

QTEST_MAIN(TestTableCharsHP)
#include "tst_tablecharshp.moc"
