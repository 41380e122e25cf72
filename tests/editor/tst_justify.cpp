// The justification commands: centre, left, right and breaking at the right edge.
#include "helper_editor.h"

#include <QTest>

enum { Center = 0, Left = 1, Right = 2, Break = 3 };

class TestJustify : public QObject {
    Q_OBJECT

private slots:
    void reflowJoinsAndBreaksAtSpaces()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->SetRightEdge(10);
        SetText(*ed, "aaa bbb\nccc dddd eeeeeeeeeeeeee\n\nnext");
        ed->Document()->SetAttrs(0, 5, QByteArray(3, char(stBold)));
        ed->MoveCaretTo(1, 2, true);
        ed->ReflowParagraph();
        QCOMPARE(Text(*ed), QByteArray("aaa bbb\nccc dddd\neeeeeeeeee\neeee\n\nnext"));
        QCOMPARE(ed->Line(0).Attrs(), QByteArray("\0\0\0\0\x01\x01\x01", 7));
        QCOMPARE(ed->CaretLine(), 3);
        ed->Undo();
        QCOMPARE(Text(*ed), QByteArray("aaa bbb\nccc dddd eeeeeeeeeeeeee\n\nnext"));
        ed->SetModified(false);
        ed->MoveCaretTo(3, 1, true);
        ed->ReflowParagraph(); // already within the edge
        QVERIFY(!ed->Modified());
        // A selection is reflowed as one paragraph, up to a picture; an underlined space is text.
        SetText(*ed, "one\ntwo\nthree four");
        AddPictureLine(*ed, 8, 8, 0);
        ed->Document()->SetAttrs(2, 6, QByteArray(1, char(stUnderline)));
        ed->SelectRange(0, 1, 1, 4);
        ed->ReflowParagraph();
        QCOMPARE(ed->Line(0).Chars(), QByteArray("one two"));
        QCOMPARE(ed->Line(1).Chars(), QByteArray("three four"));
        QVERIFY(ed->PictureOfLine(2));
    }

    void caretLine_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("edge");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray ten = "abcdefghij", x21(21, 'x'), x30(30, 'x'), sp(23, ' ');
        QTest::newRow("centre trims, text from column 5") << int(Center) << 22 << "  " + ten + " " << sp.left(5) + ten;
        QTest::newRow("centre 21 of 22") << int(Center) << 22 << x21 << x21;
        QTest::newRow("centre 30 of 22") << int(Center) << 22 << x30 << x30;
        QTest::newRow("right 10 of 33") << int(Right) << 33 << ten << sp + ten;
        QTest::newRow("right 30 of 22") << int(Right) << 22 << " " + x30 << x30;
        QTest::newRow("left all spaces") << int(Left) << 22 << sp << QByteArray();
        QTest::newRow("break 50 of 22") << int(Break) << 22 << QByteArray(50, 'x') << x21 + "x\n" + x21 + "x\nxxxxxx";
        QTest::newRow("break keeps spaces") << int(Break) << 5 << QByteArray("abcde fgh") << QByteArray("abcde\n fgh");
        QTest::newRow("break at edge 0") << int(Break) << 0 << ten << ten; // no endless splitting
    }

    void caretLine()
    {
        QFETCH(int, mode);
        QFETCH(int, edge);
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, expected);
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        ed->SetRightEdge(edge);
        SetText(*ed, "above\n" + line + "\nbelow");
        ed->MoveCaretTo(1, 1, true);
        ed->Justify(mode);
        QCOMPARE(Text(*ed), "above\n" + expected + "\nbelow");
    }

    void visibleSpacesStayAndInsertedOnesArePlain()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, " ab ");
        ed->Document()->SetAttrs(0, 1, QByteArray("\x02\x21\x21\x04", 4)); // underlined and reversed spaces
        ed->Justify(Right);
        QCOMPARE(ed->Line(0).Attrs(), QByteArray(18, 0) + QByteArray("\x02\x21\x21\x04", 4));
    }

    void selectionSkipsPicturesAndCoversTheResult()
    {
        THostWidget host;
        THPEdit2 *ed = NewEditor(host);
        SetText(*ed, QByteArray(30, 'a'));
        const int pic = AddPictureLine(*ed, 20, 20);
        ed->InsertText(pic + 1, 1, QByteArray(1, 0), "b");
        ed->SelectAll();
        ed->Justify(Break);
        QCOMPARE(Text(*ed), QByteArray(22, 'a') + "\naaaaaaaa\n\x02\nb");
        QVERIFY(ed->PictureOfLine(2));
        QCOMPARE(ed->SelStartLine(), 0);
        QCOMPARE(ed->SelEndLine(), 3);
        QCOMPARE(ed->SelEndCol(), 1); // the last line whole, without its end
    }
};

QTEST_MAIN(TestJustify)
#include "tst_justify.moc"
