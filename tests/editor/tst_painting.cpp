// What the editor puts on the screen: glyphs at 2 ×, the AND merge of a slanted neighbour, opaque
// selected cells, the right edge, pictures, the caret, and repainting only what changed.
#include "helper_editor.h"
#include "u_Errors.h"
#include "u_utils.h"

#include <QBackingStore>
#include <QCryptographicHash>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb Navy = qRgb(0, 0, 127);
constexpr QRgb Grey = qRgb(128, 128, 128);

// Every glyph a solid block of 6 × 7 pixels over an empty bottom row.
const QStringList Block = {"######", "######", "######", "######", "######", "######", "######", "......"};

// Records what the view repaints, to see how much a change costs.
class TCountingEdit : public THPEdit2 {
public:
    using THPEdit2::THPEdit2;
    QRegion Painted;

protected:
    void paintEvent(QPaintEvent *Event) override
    {
        Painted += Event->region();
        THPEdit2::paintEvent(Event);
    }
};
} // namespace

class TestPainting : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    THostWidget *FHost = nullptr;
    TCountingEdit *FEd = nullptr;

    QRgb At(int X, int Y)
    {
        QCoreApplication::processEvents();
        return FEd->viewport()->grab().toImage().pixel(X, Y) | 0xFF000000;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        QDir(FDir.path()).mkdir("fonts");
        WriteFont(FDir.path() + "/fonts", "block", Block);
        WriteFont(FDir.path() + "/fonts", "miniblock", Block.mid(0, 5), 5);
    }

    void init()
    {
        FHost = new THostWidget;
        FEd = new TCountingEdit(FHost, TEditor::Tgv);
        AppDir = FDir.path() + "/";
        FEd->SetSubDirFont("fonts");
        FEd->SetDefaultFontTgvNormal("block");
        FEd->SetDefaultFontTgvFont1("block");
        FEd->SetDefaultFontTgvMini("miniblock");
        FEd->resize(500, 300);
        FHost->resize(500, 300);
        FHost->show();
        QVERIFY(QTest::qWaitForWindowExposed(FHost));
        FEd->NewDocument();
        FEd->clearFocus();
        QCoreApplication::processEvents();
    }
    void cleanup() { delete FHost; }

    void glyphsAreDrawnAtTwiceTheirSize()
    {
        SetText(*FEd, "a");
        // The block covers x 3..14 and y 3..16; its empty bottom row is y 17..18.
        QCOMPARE(At(3, 3), Black);
        QCOMPARE(At(14, 16), Black);
        QCOMPARE(At(14, 17), White);
        QCOMPARE(At(15, 3), White);
        QCOMPARE(At(2, 3), White);
    }

    void slantedOverhangSurvivesItsNeighbour()
    {
        SetText(*FEd, "ab", stItalic);
        // The italic top rows of the first glyph shift 3 pixels (6 on screen) into the second
        // cell, where the second glyph's own top rows leave white: the AND merge keeps them black.
        QCOMPARE(At(18, 3), Black);
        QCOMPARE(At(20, 4), Black);
        QCOMPARE(At(21, 3), Black); // the second glyph itself
        QCOMPARE(At(33, 3), White);  // the second glyph's own overhang ends at 32
        QCOMPARE(At(27, 16), White); // bottom rows are not shifted: the second glyph ends at 26
    }

    void selectedCellIsOpaqueWhiteOnNavy()
    {
        SetText(*FEd, "ab");
        FEd->SelectRange(0, 2, 3, 0);
        QCOMPARE(At(15, 3), White);  // glyph pixel
        QCOMPARE(At(15, 17), Navy);  // background row of the cell
        QCOMPARE(At(14, 17), White); // the unselected neighbour is untouched
        QCOMPARE(At(3, 3), Black);
        FEd->ClearSelection();
        QCOMPARE(At(15, 17), White);
        QCOMPARE(At(15, 3), Black);
    }

    void selectedLineEndIsOneNavyCell()
    {
        SetText(*FEd, "ab\n\ncd");
        FEd->SelectRange(0, 2, 1, 2);
        QCoreApplication::processEvents();
        // Line 0's end (x 27..38), the empty line 1 (x 3..14); nothing past them.
        QCOMPARE(At(30, 17), Navy);
        QCOMPARE(At(40, 17), White);
        QCOMPARE(At(5, 19 + 15), Navy);
        QCOMPARE(At(16, 19 + 15), White);
        QCOMPARE(At(5, 35 + 15), White);
        FEd->ClearSelection();
        QCoreApplication::processEvents();
        QCOMPARE(At(5, 19 + 15), White);
    }

    void selectedCellPaintsOverThePreviousOverhang()
    {
        SetText(*FEd, "ab", stItalic);
        FEd->SelectRange(0, 2, 3, 0);
        // The second cell is drawn after the first, opaque: the overhang at x 18 becomes navy.
        QCOMPARE(At(18, 3), Navy);
        QCOMPARE(At(21, 3), White);
    }

    void rightEdgeIsAGreyLine()
    {
        QCOMPARE(FEd->RightEdge(), 22);
        QCOMPARE(At(265, 100), Grey);
        QCOMPARE(At(264, 100), White);
        QCOMPARE(At(266, 100), White);
        QCOMPARE(At(265, 0), Grey);
        FEd->SetRightEdge(33);
        QCOMPARE(At(397, 50), Grey);
        QCOMPARE(At(265, 50), White);
    }

    void glyphOverTheRightEdgeIsMergedWithIt()
    {
        // Cell 22 covers x 255..266: its black block hides the line, its bottom row shows it.
        SetText(*FEd, QByteArray(22, 'x'));
        QCOMPARE(At(265, 5), Black);
        QCOMPARE(At(265, 18), Grey);
    }

    void picturesAreDrawnAtTwiceTheirSize()
    {
        const int line = AddPictureLine(*FEd, 30, 10);
        const int top = FEd->LineTop(line);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(At(3 + 2 * i, top + 2 * i), Black);
            QCOMPARE(At(3 + 2 * i + 1, top + 2 * i + 1), Black);
        }
        QCOMPARE(At(3 + 2, top), White);
    }

    void superscriptAndSubscriptSitHighAndLow()
    {
        SetText(*FEd, "a", fsSuperscript);
        FEd->InsertText(0, 2, QByteArray(1, char(fsSubscript)), "b");
        QCOMPARE(At(3, 3), Black);       // superscript: rows 0..4
        QCOMPARE(At(3, 3 + 10), White);  // nothing from row 5
        QCOMPARE(At(15, 3), White);      // subscript: rows 3..7
        QCOMPARE(At(15, 3 + 6), Black);
        QCOMPARE(At(15, 3 + 15), Black);
    }

    void caretIsDrawnWithTheFocus()
    {
        FEd->setFocus();
        QVERIFY(FEd->HasFocus());
        // Over the empty line the 2 × 16 caret inverts the white background left of the margin.
        QCOMPARE(At(2, 3), Black);
        QCOMPARE(At(3, 18), Black);
        QCOMPARE(At(4, 3), White);
        FEd->clearFocus();
        QVERIFY(!FEd->HasFocus());
        QCOMPARE(At(2, 3), White);
    }

    void typingRepaintsOnlyItsLine()
    {
        QByteArray text;
        for (int i = 0; i < 10; ++i)
            text += "0123456789\n";
        SetText(*FEd, text);
        QCoreApplication::processEvents();
        FEd->MoveCaretTo(2, 5, true);
        FEd->InsertAtCaret("x", QByteArray(1, 0));
        At(0, 0); // settle
        FEd->Painted = QRegion();
        FEd->InsertAtCaret("y", QByteArray(1, 0));
        QCoreApplication::processEvents();
        // Line 2 spans y 35..50.
        const QRect r = FEd->Painted.boundingRect();
        QVERIFY2(!r.isEmpty() && r.top() >= 35 && r.bottom() <= 50,
                 qPrintable(QString("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())));
    }

    void extendingASelectionRepaintsOnlyTheNewCells()
    {
        SetText(*FEd, "0123456789\n0123456789\n0123456789");
        FEd->setFocus();
        FEd->MoveCaretTo(1, 1, true);
        QTest::keyClick(FEd, Qt::Key_Right, Qt::ShiftModifier);
        QCoreApplication::processEvents();
        FEd->Painted = QRegion();
        QTest::keyClick(FEd, Qt::Key_Right, Qt::ShiftModifier);
        QCoreApplication::processEvents();
        // The new cell and the caret's cells on line 1 (y 19..34): a handful of cells wide.
        const QRect r = FEd->Painted.boundingRect();
        QVERIFY2(!r.isEmpty() && r.top() >= 19 && r.bottom() <= 34 && r.width() <= 4 * 12,
                 qPrintable(QString("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())));
    }

    void screenStaysRightThroughEdits()
    {
        // What the window really shows (its backing store, not a fresh paint) after edits that
        // move lines must equal a fresh drawing of the document: nothing stale, nothing shifted.
        QByteArray text;
        for (int i = 0; i < 30; ++i)
            text += QByteArray::number(i * 7919) + (i % 3 ? "" : "ab") + "\n";
        SetText(*FEd, text, stItalic);
        auto check = [&](const char *what) {
            for (int i = 0; i < 20; ++i)
                QTest::qWait(5);
            QBackingStore *store = FEd->window()->backingStore();
            QVERIFY(store && store->paintDevice()->devType() == QInternal::Image);
            const QImage shown = static_cast<QImage *>(store->paintDevice())->copy(
                QRect(FEd->viewport()->mapTo(FEd->window(), QPoint(0, 0)), FEd->viewport()->size()));
            QImage fresh = FEd->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QImage seen = shown.convertToFormat(QImage::Format_RGB32);
            QVERIFY2(seen == fresh, what);
        };
        check("after filling");
        FEd->MoveCaretTo(2, 3, true);
        FEd->InsertAtCaret("\n\nxy\n", QByteArray(1, char(stBold)));
        check("after inserting line breaks");
        FEd->DeleteRange(1, 2, 1, 4);
        check("after joining lines");
        FEd->ScrollToLine(5);
        FEd->InsertText(0, 1, QByteArray(1, 0), "above the view\n");
        check("after a break above the view");
        FEd->DeleteRange(0, 1, -1, 2);
        check("after joining above the view");
        FEd->MoveCaretTo(25, 1, true);
        FEd->InsertAtCaret("\n", QByteArray(1, 0));
        FEd->SelectRange(20, 2, 3, 26);
        check("after a selection below");
        FEd->DeleteSelection();
        check("after deleting it");
        FEd->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        check("after a page down with the bar");
        FEd->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        check("after a line up with the bar");
        FEd->MoveCaretTo(3, -1, true);
        FEd->InsertAtCaret(QByteArray(60, 'w'), QByteArray(1, 0));
        check("after scrolling right to follow the caret");
        FEd->MoveCaretTo(3, 1, true);
        check("after scrolling back left");
    }

    void drawingStaysPixelForPixel_data()
    {
        QTest::addColumn<bool>("screen");
        QTest::addColumn<QByteArray>("digest");
        QTest::newRow("rendered document") << false << QByteArray("9c223f5944e2dff64faea631f57f9cc5");
        QTest::newRow("screen with a selection") << true << QByteArray("f8f7c10211015bc620cdf99710227a2a");
    }
    void drawingStaysPixelForPixel()
    {
        // Every attribute byte in every font slot with the bundled fonts, two pictures, a long
        // line over the right edge: the drawing's checksum guards the glyph work as a whole.
        QFETCH(bool, screen);
        QFETCH(QByteArray, digest);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv, QSize(520, 420));
        QByteArray chars, attrs;
        for (int a = 0; a < 256; ++a) {
            chars += char(0x41 + a % 40);
            chars += char(0x80 + a % 100);
            attrs += char(a);
            attrs += char(a);
            if (a % 16 == 15) {
                chars += '\n';
                attrs += char(0);
            }
        }
        ed->InsertText(0, 1, attrs, chars);
        AddPictureLine(*ed, 40, 12, 1);
        ed->InsertText(ed->LineCount() - 1, 1, QByteArray(1, char(stItalic)), QByteArray(40, 'W') + "\n");
        AddPictureLine(*ed, 7, 3, 0);
        QImage shot;
        if (screen) {
            ed->SelectRange(3, 5, 9, 18);
            QCoreApplication::processEvents();
            shot = ed->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        } else {
            shot = ed->RenderDocument();
        }
        const QByteArray bytes(reinterpret_cast<const char *>(shot.constBits()), shot.sizeInBytes());
        QCOMPARE(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex(), digest);
    }

    void renderedDocumentMatchesTheScreen()
    {
        SetText(*FEd, "ab\ncd", stBold);
        const QImage doc = FEd->RenderDocument();
        QVERIFY(doc.width() >= 266);
        QCOMPARE(doc.height(), 3 + 32 + 3);
        QCOMPARE(doc.pixel(265, 30) | 0xFF000000, Grey);
        for (QPoint p : {QPoint(3, 3), QPoint(16, 20), QPoint(30, 30), QPoint(14, 17)})
            QCOMPARE(doc.pixel(p) | 0xFF000000, At(p.x(), p.y()));
        // An absurd right edge asks for more than any picture can hold: refused, not attempted.
        QByteArray tall;
        for (int i = 0; i < 2000; ++i)
            tall += "x\n";
        SetText(*FEd, tall);
        FEd->SetRightEdge(200000);
        QVERIFY_THROWS_EXCEPTION(EErrorSaving, FEd->RenderDocument());
    }
};

QTEST_MAIN(TestPainting)
#include "tst_painting.moc"
