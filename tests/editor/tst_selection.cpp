// The caret and the selection with the keyboard and the mouse, and the typing attribute that
// follows them.
#include "helper_editor.h"

#include <QTest>

namespace {
struct TSel {
    int StartLine, StartCol, EndLine, EndCol;
    bool operator==(const TSel &) const = default;
};
TSel Sel(const THPEdit2 &Ed) { return {Ed.SelStartLine(), Ed.SelStartCol(), Ed.SelEndLine(), Ed.SelEndCol()}; }
char *toString(const TSel &s)
{
    return qstrdup(qPrintable(QString("(%1,%2)-(%3,%4)").arg(s.StartLine).arg(s.StartCol).arg(s.EndLine).arg(s.EndCol)));
}

// A mouse event on the viewport with the left button held.
void Drag(THPEdit2 &Ed, QPoint To)
{
    QMouseEvent move(QEvent::MouseMove, To, Ed.viewport()->mapToGlobal(To), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Ed.viewport(), &move);
}
// The screen point inside the cell of (Line, Pos), 5 pixels in.
QPoint Cell(const THPEdit2 &Ed, int Line, int Pos)
{
    return Ed.CaretPos(Line, Pos) + QPoint(5, 5) - QPoint(Ed.ScrollX(), Ed.ScrollY());
}
} // namespace

class TestSelection : public QObject {
    Q_OBJECT

private slots:
    void shiftArrowsExtendFromTheAnchor()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abcdef");
        ed->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(ed, Qt::Key_Right, Qt::ShiftModifier);
        QVERIFY(ed->Selected());
        QCOMPARE(Sel(*ed), (TSel{0, 1, 0, 3}));
        QTest::keyClick(ed, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(Sel(*ed), (TSel{0, 1, 0, 2}));
        QCOMPARE(ed->CaretCol(), 3);
        // Without Shift the move starts from the caret, not from an edge of the selection.
        QTest::keyClick(ed, Qt::Key_Left);
        QVERIFY(!ed->Selected());
        QCOMPARE(ed->CaretCol(), 2);
        QCOMPARE(ed->AnchorCol(), 2);
    }

    void shiftDownSelectsTheLineBreak()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abc\nde\nfgh");
        ed->setFocus();
        ed->MoveCaretTo(0, 2, true);
        QTest::keyClick(ed, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(Sel(*ed), (TSel{0, 2, 1, 1}));
        QTest::keyClick(ed, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(Sel(*ed), (TSel{0, 2, 1, 2}));
        QTest::keyClick(ed, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(Sel(*ed), (TSel{0, 2, 2, 2}));
        QTest::keyClick(ed, Qt::Key_Home, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(Sel(*ed), (TSel{0, 1, 0, 1}));
        QTest::keyClick(ed, Qt::Key_End, Qt::ControlModifier);
        QVERIFY(!ed->Selected());
        QCOMPARE(ed->CaretLine(), 2);
        QCOMPARE(ed->CaretCol(), 4);
    }

    void verticalMovesKeepTheColumn()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abc\nabcdefgh\nabcdefgh");
        ed->setFocus();
        ed->MoveCaretTo(1, 7, true);
        QTest::keyClick(ed, Qt::Key_Down);
        QCOMPARE(ed->CaretCol(), 7);
        QTest::keyClick(ed, Qt::Key_Up);
        QTest::keyClick(ed, Qt::Key_Up);
        QCOMPARE(ed->CaretLine(), 0);
        QCOMPARE(ed->CaretCol(), 4); // the end of the shorter line
        QTest::keyClick(ed, Qt::Key_Up);
        QCOMPARE(ed->CaretLine(), 0);
        QTest::keyClick(ed, Qt::Key_Left);
        QTest::keyClick(ed, Qt::Key_Home);
        QTest::keyClick(ed, Qt::Key_Left);
        QCOMPARE(ed->CaretCol(), 1); // the document's start holds
        ed->MoveCaretTo(0, -1, true);
        QTest::keyClick(ed, Qt::Key_Right);
        QCOMPARE(ed->CaretLine(), 1);
        QCOMPARE(ed->CaretCol(), 1);
    }

    void mouseDragSelects()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abcdefgh\nijklmnop");
        QTest::mousePress(ed->viewport(), Qt::LeftButton, {}, Cell(*ed, 0, 2));
        Drag(*ed, Cell(*ed, 0, 5));
        QCOMPARE(Sel(*ed), (TSel{0, 2, 0, 4}));
        // Back over the anchor, then above it.
        Drag(*ed, Cell(*ed, 0, 2));
        QVERIFY(!ed->Selected());
        Drag(*ed, Cell(*ed, 1, 3));
        QCOMPARE(Sel(*ed), (TSel{0, 2, 1, 2}));
        QTest::mouseRelease(ed->viewport(), Qt::LeftButton, {}, Cell(*ed, 1, 3));
        // A plain click gives the selection up.
        QTest::mouseClick(ed->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(*ed, 0, 4));
        QVERIFY(!ed->Selected());
        QCOMPARE(ed->CaretCol(), 4);
    }

    void dragBelowTheViewScrollsIt()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host, TEditor::Tgv, QSize(300, 120));
        QByteArray text;
        for (int i = 0; i < 40; ++i)
            text += "line\n";
        SetText(*ed, text);
        QTest::mousePress(ed->viewport(), Qt::LeftButton, {}, Cell(*ed, 0, 1));
        Drag(*ed, QPoint(20, ed->ViewHeight() + 40));
        QVERIFY(ed->ScrollY() > 0);
        QVERIFY(ed->Selected());
        QCOMPARE(ed->SelStartLine(), 0);
        QCOMPARE(ed->LineTop(ed->CaretLine()) + 16, ed->ScrollY() + ed->ViewHeight() - 1);
        // Held still below the view, the selection goes on growing until the button is released.
        const int y = ed->ScrollY();
        QTRY_VERIFY(ed->ScrollY() > y);
        QTest::mouseRelease(ed->viewport(), Qt::LeftButton, {}, QPoint(20, ed->ViewHeight() + 40));
        const int released = ed->ScrollY();
        QTest::qWait(150);
        QCOMPARE(ed->ScrollY(), released);
        QCOMPARE(ed->SelEndLine(), ed->CaretLine());
        QCOMPARE(ed->SelStartLine(), 0);
    }

    void doubleClickSelectsAWord_data()
    {
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        // "ab  cd"
        QTest::newRow("on c") << 5 << 5 << 6;
        QTest::newRow("on d") << 6 << 5 << 6;
        QTest::newRow("on the first space") << 3 << 1 << 2;
        QTest::newRow("on the second space") << 4 << 1 << 2;
        QTest::newRow("on a") << 1 << 1 << 2;
        QTest::newRow("after the last word") << 7 << 5 << 6;
    }
    void doubleClickSelectsAWord()
    {
        QFETCH(int, pos);
        QFETCH(int, start);
        QFETCH(int, end);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "ab  cd");
        QTest::mouseDClick(ed->viewport(), Qt::LeftButton, {}, Cell(*ed, 0, pos));
        QCOMPARE(Sel(*ed), (TSel{0, start, 0, end}));
        QCOMPARE(ed->CaretCol(), end + 1);
    }

    void ctrlArrowsMoveByWords()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "ab  cd ef\n  gh");
        ed->setFocus();
        const QList<QPair<int, int>> right = {{0, 5}, {0, 8}, {0, 10}, {1, 3}, {1, 5}, {1, 5}};
        for (const auto &[line, col] : right) {
            QTest::keyClick(ed, Qt::Key_Right, Qt::ControlModifier);
            QCOMPARE(ed->CaretLine(), line);
            QCOMPARE(ed->CaretCol(), col);
        }
        const QList<QPair<int, int>> left = {{1, 3}, {0, 8}, {0, 5}, {0, 1}, {0, 1}};
        for (const auto &[line, col] : left) {
            QTest::keyClick(ed, Qt::Key_Left, Qt::ControlModifier);
            QCOMPARE(ed->CaretLine(), line);
            QCOMPARE(ed->CaretCol(), col);
        }
        // From inside a word, Ctrl+Left goes to its start; with Shift the selection follows.
        ed->MoveCaretTo(0, 6, true);
        QTest::keyClick(ed, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Sel(*ed), (TSel{0, 5, 0, 5}));
        QTest::keyClick(ed, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(ed, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Sel(*ed), (TSel{0, 6, 0, 9}));
    }

    void shiftClickExtendsAndTripleClickSelectsTheLine()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "abcdef\nghij\nkl");
        QTest::mouseClick(ed->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(*ed, 0, 2));
        QTest::mouseClick(ed->viewport(), Qt::LeftButton, Qt::ShiftModifier, Cell(*ed, 1, 3));
        QCOMPARE(Sel(*ed), (TSel{0, 2, 1, 2}));
        QTest::mouseClick(ed->viewport(), Qt::LeftButton, Qt::ShiftModifier, Cell(*ed, 0, 4));
        QCOMPARE(Sel(*ed), (TSel{0, 2, 0, 3}));
        // Press, double-click, press: the line with its break.
        const QPoint p = Cell(*ed, 1, 2);
        QTest::mousePress(ed->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        QTest::mouseRelease(ed->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        QTest::mouseDClick(ed->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        QCOMPARE(Sel(*ed), (TSel{1, 1, 1, 4}));
        QTest::mousePress(ed->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        QTest::mouseRelease(ed->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        QCOMPARE(Sel(*ed), (TSel{1, 1, 1, 5}));
        // The last line has no break to take.
        QTest::mouseDClick(ed->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(*ed, 2, 1));
        QTest::mousePress(ed->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(*ed, 2, 1));
        QCOMPARE(Sel(*ed), (TSel{2, 1, 2, 2}));
    }

    void doubleClickOnBlanksSelectsNothing()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "   x");
        ed->SelectWordAt(0, 2);
        QVERIFY(!ed->Selected());
        QCOMPARE(ed->CaretCol(), 1);
    }

    void typingAttributeFollowsTheCaret()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "a", stBold);
        ed->InsertText(0, 2, QByteArray(1, char(stUnderline)), "b");
        ed->MoveCaretTo(0, 1, true);
        QCOMPARE(ed->CurrentAttr(), uint8_t(stBold)); // at the start: the first character's
        ed->MoveCaretTo(0, 3, true);
        QCOMPARE(ed->CurrentAttr(), uint8_t(stUnderline)); // else the one before the caret
        host.Flush();
        ed->SelectRange(0, 1, -1, 0);
        QCOMPARE(ed->CommonAttr(), uint8_t(0));
        host.Deliver();
        QCOMPARE(host.LastArg(HPM_ATTRCHANGED), 0);
        ed->InsertText(0, 1, QByteArray(1, char(stBold | stUnderline)), "c");
        ed->SelectRange(0, 1, 3, 0);
        QCOMPARE(ed->CommonAttr(), uint8_t(stBold));
    }

    void commonAttrIgnoresLineEndsAndPicturesClearIt()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "a\n\nb", stReverse);
        ed->SelectAll();
        QCOMPARE(ed->CommonAttr(), uint8_t(stReverse));
        ed->SelectRange(1, 1, 1, 2); // nothing but a line end
        QCOMPARE(ed->CommonAttr(), uint8_t(0));
        const int pic = AddPictureLine(*ed, 8, 8);
        ed->SelectRange(0, 1, 2, pic);
        QCOMPARE(ed->CommonAttr(), uint8_t(0));
    }

    void selectRangeResolvesItsEnds()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, "ab\ncd");
        ed->SelectAll();
        QCOMPARE(Sel(*ed), (TSel{0, 1, 1, 2}));
        QCOMPARE(ed->CaretCol(), 3);
        ed->ClearSelection();
        QVERIFY(!ed->Selected());
        QCOMPARE(ed->CaretLine(), 1);
        QCOMPARE(ed->CaretCol(), 3);
    }
};

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
