// Geometry and hit testing: line tops, positions under the mouse, the vertical scroll bar, and
// the view following the caret.
#include "helper_editor.h"

#include <QScrollBar>
#include <QWheelEvent>
#include <QTest>

namespace {
// Resizes the editor so that its view is exactly Width × Height.
void SetViewSize(THPEdit2 &Ed, int Width, int Height)
{
    Ed.resize(Ed.width() - Ed.ViewWidth() + Width, Ed.height() - Ed.ViewHeight() + Height);
    QCoreApplication::processEvents();
}

QByteArray Lines(int Count)
{
    QByteArray text;
    for (int i = 0; i < Count; ++i)
        text += (i ? "\n" : "") + QByteArray::number(i);
    return text;
}
} // namespace

class TestGeometry : public QObject {
    Q_OBJECT

private slots:
    void linesStackFromTheTopMargin()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "ab\ncd");
        const int pic = AddPictureLine(*ed, 131, 64);
        QCOMPARE(ed->LineTop(0), 3);
        QCOMPARE(ed->LineTop(1), 19);
        QCOMPARE(ed->LineTop(pic), 35);
        QCOMPARE(ed->LineHeight(pic), 128);
        QCOMPARE(ed->LineTop(pic + 1), 35 + 128);
        // After the picture the caret stands 2 × its width right of the margin.
        QCOMPARE(ed->CaretPos(pic, 2), QPoint(3 + 262, 35));
        QCOMPARE(ed->CaretPos(1, 3), QPoint(3 + 24, 19));
        QCOMPARE(ed->CharWidth(pic, 1), 262);
        QCOMPARE(ed->CharWidth(0, 1), 12);
        QCOMPARE(ed->CharWidth(0, 3), 0);
    }

    void slantedGlyphsAreWiderThanTheirAdvance()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "ab", stItalic);
        QCOMPARE(ed->CharWidth(0, 1), 18);
        QCOMPARE(ed->CaretPos(0, 2).x(), 15); // the advance stays one cell
    }

    void clickPlacesTheCaret_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("pos");
        // Cells of line 0 start at x 3, 15, 27…; line 1 starts at y 19.
        QTest::newRow("5 px into the cell of character 3") << QPoint(27 + 5, 5) << 0 << 3;
        QTest::newRow("last pixel of a cell") << QPoint(26, 5) << 0 << 2;
        QTest::newRow("left of the first cell") << QPoint(1, 5) << 0 << 1;
        QTest::newRow("right of the last character") << QPoint(200, 5) << 0 << 6;
        QTest::newRow("second line") << QPoint(16, 20) << 1 << 2;
        QTest::newRow("below the last line") << QPoint(16, 250) << 1 << 2;
        QTest::newRow("in the top margin") << QPoint(16, 0) << 0 << 2;
    }
    void clickPlacesTheCaret()
    {
        QFETCH(QPoint, point);
        QFETCH(int, line);
        QFETCH(int, pos);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abcde\nxy");
        QTest::mouseClick(ed->viewport(), Qt::LeftButton, {}, point);
        QCOMPARE(ed->CaretLine(), line);
        QCOMPARE(ed->CaretCol(), pos);
        QVERIFY(ed->hasFocus());
        QVERIFY(!ed->Selected());
    }

    void clickOnAPictureLine()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        const int pic = AddPictureLine(*ed, 40, 10);
        QCOMPARE(ed->ColumnAtX(pic, 3 + 79), 1);
        QCOMPARE(ed->ColumnAtX(pic, 3 + 80), 2);
        QCOMPARE(ed->LineAtY(ed->LineTop(pic) + 19), pic);
        QCOMPARE(ed->LineAtY(ed->LineTop(pic) + 20), pic + 1);
    }

    void scrollBarIsDisabledWhileEverythingShows()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv, QSize(400, 300));
        SetText(*ed, Lines(3));
        QScrollBar *bar = ed->verticalScrollBar();
        QCOMPARE(ed->TopLine(), 0);
        QVERIFY(bar->isVisible());
        QVERIFY(!bar->isEnabled());
        SetText(*ed, Lines(100));
        QVERIFY(bar->isEnabled());
        QCOMPARE(bar->maximum(), 99);
    }

    void scrollBarScrollsByLinesWithoutMovingTheCaret()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, Lines(100));
        QScrollBar *bar = ed->verticalScrollBar();
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(ed->TopLine(), 1);
        QCOMPARE(ed->ScrollY(), ed->LineTop(1));
        QCOMPARE(bar->value(), 1);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(ed->TopLine(), 0);
        QCOMPARE(ed->ScrollY(), 0); // line 0 shows with its margin
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        const int page = ed->TopLine();
        QVERIFY(page > 5);
        // The first line below the view's last full line comes to the top.
        QCOMPARE(page, ed->LineAtY(3 + ed->ViewHeight() - 1));
        QCOMPARE(ed->CaretLine(), 0);
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(ed->TopLine(), 0);
        // The bottom line is the first one starting below the view.
        QVERIFY(ed->LineTop(ed->BottomLine()) > ed->ViewHeight() - 1);
        QVERIFY(ed->LineTop(ed->BottomLine() - 1) <= ed->ViewHeight() - 1);
    }

    void pageKeysMoveTheCaretToTheNewTopLine()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, Lines(100));
        ed->setFocus();
        ed->MoveCaretTo(0, 2, true);
        QTest::keyClick(ed, Qt::Key_PageDown);
        QVERIFY(ed->TopLine() > 0);
        QCOMPARE(ed->CaretLine(), ed->TopLine());
        QCOMPARE(ed->CaretCol(), 2);
        QTest::keyClick(ed, Qt::Key_PageUp);
        QCOMPARE(ed->TopLine(), 0);
        QCOMPARE(ed->CaretLine(), 0);
    }

    void wheelScrollsSmoothlyAndSideways()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv, QSize(300, 200));
        QByteArray text;
        for (int i = 0; i < 100; ++i)
            text += QByteArray(60, 'x') + '\n';
        SetText(*ed, text);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        auto wheel = [ed](QPoint Angle, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
            QWheelEvent e(QPointF(50, 50), ed->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), Angle, Qt::NoButton,
                          Mods, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(ed->viewport(), &e);
        };
        // Ten small steps make a third of a notch each: they add up.
        for (int i = 0; i < 10; ++i)
            wheel(QPoint(0, -40));
        QCOMPARE(ed->ScrollY(), 160);
        QCOMPARE(ed->CaretLine(), 0);
        wheel(QPoint(0, 1200));
        QCOMPARE(ed->ScrollY(), 0);
        // A line wider than the view brings the horizontal bar; Shift turns the wheel sideways.
        QVERIFY(ed->horizontalScrollBar()->isVisible());
        wheel(QPoint(0, -120), Qt::ShiftModifier);
        QCOMPARE(ed->ScrollX(), 48);
        QCOMPARE(ed->ScrollY(), 0);
        QCOMPARE(ed->horizontalScrollBar()->value(), 48);
        wheel(QPoint(-1200, 0));
        QCOMPARE(ed->ScrollX(), ed->horizontalScrollBar()->maximum());
        ed->horizontalScrollBar()->setValue(0);
        QCOMPARE(ed->ScrollX(), 0);
    }

    void caretLineIsScrolledIntoView()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, Lines(100));
        SetViewSize(*ed, 300, 200);
        ed->MoveCaretTo(50, 1, true);
        // The caret line's bottom at the view's bottom.
        QCOMPARE(ed->ScrollY(), ed->LineTop(50) + 16 - 200 + 1);
        ed->MoveCaretTo(10, 1, true);
        // Its top 3 pixels below the view's top.
        QCOMPARE(ed->ScrollY(), ed->LineTop(10) - 3);
        QCOMPARE(ed->TopLine(), 9);
        QVERIFY(ed->LineTop(ed->BottomLine()) > ed->ScrollY() + 199);
    }

    void typingPastTheRightScrollsByHalfAView()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetViewSize(*ed, 300, 200);
        ed->setFocus();
        for (int i = 0; i < 24; ++i)
            QTest::keyClick(ed, 'x');
        QCOMPARE(ed->ScrollX(), 0); // caret x 291 still shows
        QTest::keyClick(ed, 'x');
        QCOMPARE(ed->ScrollX(), 150);
        QTest::keyClick(ed, Qt::Key_Home);
        QCOMPARE(ed->ScrollX(), 0);
    }

    void resizingKeepsTheScrollPosition()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, Lines(100));
        ed->MoveCaretTo(99, 1, true);
        const int y = ed->ScrollY();
        SetViewSize(*ed, 300, 100);
        QCOMPARE(ed->ScrollY(), y);
        QCOMPARE(ed->ViewHeight(), 100);
        QCOMPARE(ed->TopLine(), ed->LineAtY(y));
    }

    void wheelScrollsThreeLines()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, Lines(100));
        QWheelEvent down(QPointF(10, 10), ed->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(ed->viewport(), &down);
        QCOMPARE(ed->TopLine(), 3);
        QCOMPARE(ed->CaretLine(), 0);
    }
};

QTEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
